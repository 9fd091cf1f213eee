// SPDX-License-Identifier: GPL-3.0-or-later
// The fields of the status bar while online: which module, whether its program runs,
// its scan time and load, a runtime error, how old the live values are, and whether the
// module has gone silent. Front ends put each field in its own place; all empty offline.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "online/OnlineSession.h"

namespace pontra {

class CMainFrame;

// What the fields are made from, gathered from the frame at one moment.
struct OnlineStatusInput {
    bool debugging = false;
    std::string address;
    int runState = -1; // -1 unknown, 0 program, 1 run
    int taskTime = -1; // -1 unknown, else ms
    ModuleStatus status;
    bool dataValid = false;
    std::optional<double> secondsSinceRead; // none before the first complete read
    std::string statusSuffix;               // the frame's title suffix of the module status
};

struct OnlineStatusLine {
    std::string address;   // "127.0.0.5"
    std::string runState;  // "RUN", "PROGRAM", "?" when unknown
    std::string taskTime;  // "TaskTime = 4 ms", "TaskTime < 1 ms", "" when unknown
    std::string cpu;       // "CPU = 12 %", "" when unknown
    std::string error;     // the runtime error with its instruction and rung, "" when none
    std::string dataValid; // "Data valid 3 s ago", "..." until the first complete read
    std::string silent;    // "Module not answering (Timeout)" or "(Error)", "" when answering

    bool Empty() const { return address.empty(); }
    bool operator==(const OnlineStatusLine&) const = default;
};

OnlineStatusInput GatherOnlineStatus(const CMainFrame& frame, std::chrono::steady_clock::time_point now);
OnlineStatusLine MakeOnlineStatusLine(const OnlineStatusInput& input);
// Both at once, at the present moment.
OnlineStatusLine CurrentOnlineStatusLine(const CMainFrame& frame);

} // namespace pontra
