// SPDX-License-Identifier: GPL-3.0-or-later
// What pontra-cli answers before the parser sees the command line: `help [SUBCOMMAND]`,
// and a first word that is no subcommand or option, named with the nearest subcommand
// (the parser alone would only say that a subcommand is required).
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

namespace pontra {

// The exit status when the command line was answered here; none to go on parsing.
std::optional<int> GuideBeforeParse(CLI::App& app, int argc, char** argv);

// The name of `names` fewest single-character edits away from `word` (the first of
// equals), or empty when `names` is.
std::string NearestName(const std::string& word, const std::vector<std::string>& names);

} // namespace pontra
