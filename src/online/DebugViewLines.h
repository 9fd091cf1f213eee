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

// The same lines with their place in the tree: depth 0 for a variable of the unit, one
// more for each level of members, so that a view can fold a structure under its line.
struct DebugViewRow {
    std::string text;
    int depth = 0;
    bool operator==(const DebugViewRow&) const = default;
};
std::vector<DebugViewRow> DebugViewRows(CMainFrame& frame, const CUnit& unit);

} // namespace pontra
