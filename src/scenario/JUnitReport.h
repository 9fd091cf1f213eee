// SPDX-License-Identifier: GPL-3.0-or-later
// Scenario results as JUnit XML, the report format CI systems read: one <testsuite> per
// scenario file, one <testcase> per test, a <failure> per failed test with every
// finding in its text.
#pragma once

#include <string>
#include <vector>

#include "scenario/ScenarioResult.h"

namespace pontra::scenario {

class JUnitReport {
public:
    // `suiteOrder` gives the files in the order they were named (results of a file may
    // be anywhere in `results`).
    static std::string Xml(const std::vector<std::string>& suiteOrder, const std::vector<TestResult>& results);
};

// Text for an XML attribute or element: markup characters escaped, control characters
// that XML 1.0 cannot hold dropped, bytes that are no UTF-8 read as Windows-1252.
std::string XmlText(std::string_view text);

}  // namespace pontra::scenario
