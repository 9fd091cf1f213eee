// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the text of a scenario file (see docs/user-guide/60-scenario-tests.md):
//
//   # comment                      (also // comment)
//   SETUP ... END                  steps run at the start of every test of the file
//   TEST "name" ... END
//   SET Tag = value
//   RUN 250 ms | RUN 2 s | RUN 1 min | RUN 3 SCANS
//   EXPECT Tag >= value [+/- tolerance]
//   WAIT UNTIL Tag = value [+/- tolerance] WITHIN 500 ms
//   PULSE Tag FOR 20 ms
//
// Keywords and units are case-insensitive. Only the form is checked here; tags and values
// are checked against the project by ScenarioBinder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "scenario/Scenario.h"

namespace pontra::scenario {

// The longest time one step may name (a day) and the most scans one RUN may ask for:
// larger numbers are typing mistakes, and they keep every run bounded.
constexpr uint64_t kMaxStepMilliseconds = 24ull * 60 * 60 * 1000;
constexpr uint64_t kMaxStepScans = 10'000'000;

class ScenarioParser {
public:
    // Parses `text` (lines end with "\n" or "\r\n"); `path` names the file in errors.
    // On an error returns none and fills `error` with the first one found.
    static std::optional<ScenarioFile> Parse(std::string_view text, const std::string& path, ScenarioError& error);
};

}  // namespace pontra::scenario
