// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/OnlineCommandStates.h"

#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

std::optional<CommandState> OnlineCommandState(const CMainFrame& frame, std::string_view command) {
    const bool debugging = frame.debugMode != 0;
    const int runState = frame.online().RunState();
    const bool modeKnown = debugging && (runState == 0 || runState == 1);
    if (command == "Stop Debugging") return CommandState{debugging, false};
    if (command == "Toggle Debug/Stop Debugging") return CommandState{true, debugging};
    if (command == "Program Mode") return CommandState{modeKnown, runState == 0};
    if (command == "Run Mode") return CommandState{modeKnown, runState == 1};
    for (std::string_view offline : {"Debug", "Download Program", "Download Program to Modules...",
                                     "Make .bin File", "Delete Module Program", "Controller Properties..."})
        if (command == offline) return CommandState{!debugging, false};
    return std::nullopt;
}

} // namespace pontra
