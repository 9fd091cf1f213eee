// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of the Structured Text debug pane for one unit: each variable with its live
// value while debugging, or with its initial value otherwise.
#pragma once

#include <string>
#include <vector>

namespace pontra {

class CMainFrame;
class CUnit;

// "%s: %s, Value = %s" (name, type, live value) while debugging, "%s: %s, InitValue = %s"
// (name, type, initial value) otherwise; a structured variable shows "{...}" and then
// its members, each on its own line.
std::vector<std::string> DebugViewLines(CMainFrame& frame, const CUnit& unit);

} // namespace pontra
