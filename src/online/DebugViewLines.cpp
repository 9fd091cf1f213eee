// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/DebugViewLines.h"

#include "model/Types.h"
#include "model/Unit.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

// Structures nest a few levels; this bounds a damaged project's member tree.
constexpr int kMaxDepth = 16;

void AddLines(CMainFrame& frame, const CUnit& unit, const CTag& tag, int depth,
              std::vector<DebugViewRow>& lines) {
    const bool online = frame.debugMode != 0;
    const bool structured = !IsElementary(tag.dataType);
    std::string value;
    if (structured)
        value = "{...}";
    else if (online)
        value = frame.online().ValueText(tag, frame.online().InstanceBase(&unit));
    else
        value = tag.initialValue;
    lines.push_back({tag.name + ": " + tag.dataType + (online ? ", Value = " : ", InitValue = ") + value, depth});
    if (!structured || depth == kMaxDepth) return;
    for (const auto& member : tag.members) AddLines(frame, unit, *member, depth + 1, lines);
}

} // namespace

std::vector<DebugViewRow> DebugViewRows(CMainFrame& frame, const CUnit& unit) {
    std::vector<DebugViewRow> rows;
    for (const auto& tag : unit.tags) AddLines(frame, unit, *tag, 0, rows);
    return rows;
}

std::vector<std::string> DebugViewLines(CMainFrame& frame, const CUnit& unit) {
    std::vector<std::string> lines;
    for (DebugViewRow& row : DebugViewRows(frame, unit)) lines.push_back(std::move(row.text));
    return lines;
}

} // namespace pontra
