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
              std::vector<std::string>& lines) {
    const bool online = frame.debugMode != 0;
    const bool structured = !IsElementary(tag.dataType);
    std::string value;
    if (structured)
        value = "{...}";
    else if (online)
        value = frame.online().ValueText(tag, frame.online().InstanceBase(&unit));
    else
        value = tag.initialValue;
    lines.push_back(tag.name + ": " + tag.dataType + (online ? ", Value = " : ", InitValue = ") + value);
    if (!structured || depth == kMaxDepth) return;
    for (const auto& member : tag.members) AddLines(frame, unit, *member, depth + 1, lines);
}

} // namespace

std::vector<std::string> DebugViewLines(CMainFrame& frame, const CUnit& unit) {
    std::vector<std::string> lines;
    for (const auto& tag : unit.tags) AddLines(frame, unit, *tag, 0, lines);
    return lines;
}

} // namespace pontra
