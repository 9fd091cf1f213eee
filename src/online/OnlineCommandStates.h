// SPDX-License-Identifier: GPL-3.0-or-later
// The enabling rules of the commands that take a module online or touch its program,
// by command text, for the command table of the front ends.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace pontra {

class CMainFrame;

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

inline constexpr std::array<std::string_view, 10> kOnlineCommands = {
    "Debug",
    "Stop Debugging",
    "Toggle Debug/Stop Debugging",
    "Program Mode",
    "Run Mode",
    "Download Program",
    "Download Program to Modules...",
    "Make .bin File",
    "Delete Module Program",
    "Controller Properties...",
};

// The state of one of kOnlineCommands; none for any other command.
std::optional<CommandState> OnlineCommandState(const CMainFrame& frame, std::string_view command);

} // namespace pontra
