// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/OnlineStatusLine.h"

#include <algorithm>
#include <cmath>

#include "build/ModuleErrors.h"
#include "shell/MainFrame.h"

namespace pontra {

OnlineStatusInput GatherOnlineStatus(const CMainFrame& frame, std::chrono::steady_clock::time_point now) {
    const OnlineSession& session = frame.online();
    OnlineStatusInput in;
    in.debugging = session.Debugging();
    if (!in.debugging) return in;
    in.address = frame.project().doc.moduleAddressText;
    in.runState = session.RunState();
    in.taskTime = session.TaskTime();
    in.status = session.Status();
    in.dataValid = session.DataValid();
    if (const auto last = session.LastCompleteReadTime())
        in.secondsSinceRead = std::chrono::duration<double>(now - *last).count();
    in.statusSuffix = frame.statusSuffix;
    return in;
}

OnlineStatusLine MakeOnlineStatusLine(const OnlineStatusInput& in) {
    OnlineStatusLine line;
    if (!in.debugging) return line;
    line.address = in.address;
    line.runState = in.runState == 1 ? "RUN" : in.runState == 0 ? "PROGRAM" : "?";
    if (in.taskTime >= 0) {
        line.taskTime = in.taskTime == 0 ? "TaskTime < 1 ms" : "TaskTime = " + std::to_string(in.taskTime) + " ms";
        line.cpu = "CPU = " + std::to_string(in.status.load) + " %";
    }
    if (in.status.errorCode >= 100) {
        // Codes without a text add no output line either; the status bar stays quiet too.
        if (auto text = RuntimeErrorLine(in.status.errorCode, in.status.programCounter))
            line.error = *text + ", Instruction = " + std::to_string(in.status.instruction) +
                         ", Rung = " + std::to_string(in.status.rungField - 1);
    }
    // A failed read clears the data-valid flag; the age of stale values would mislead.
    if (in.dataValid && in.secondsSinceRead)
        line.dataValid = "Data valid " + std::to_string(static_cast<long>(std::floor(std::max(0.0, *in.secondsSinceRead)))) + " s ago";
    else
        line.dataValid = "...";
    if (in.statusSuffix.starts_with(" - ") && !in.statusSuffix.starts_with(" - OK"))
        line.silent = "Module not answering (" + in.statusSuffix.substr(3) + ")";
    return line;
}

OnlineStatusLine CurrentOnlineStatusLine(const CMainFrame& frame) {
    return MakeOnlineStatusLine(GatherOnlineStatus(frame, std::chrono::steady_clock::now()));
}

} // namespace pontra
