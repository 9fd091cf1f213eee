// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar fields while online, from the module's state at one moment.
#include <gtest/gtest.h>

#include "online/OnlineStatusLine.h"

namespace pontra::test {
namespace {

OnlineStatusInput Online() {
    OnlineStatusInput in;
    in.debugging = true;
    in.address = "127.0.0.5";
    in.runState = 1;
    in.taskTime = 4;
    in.status.load = 12;
    in.dataValid = true;
    in.secondsSinceRead = 0.4;
    in.statusSuffix = " - OK (TaskTime = 4 ms; CPU = 12 %)";
    return in;
}

struct Case {
    const char* what;
    void (*change)(OnlineStatusInput&);
    OnlineStatusLine expected;
};

TEST(OnlineStatusLine, FieldsFollowTheModuleState) {
    const Case cases[] = {
        {"running", [](OnlineStatusInput&) {},
         {"127.0.0.5", "RUN", "TaskTime = 4 ms", "CPU = 12 %", "", "Data valid 0 s ago", ""}},
        {"program mode, older values",
         [](OnlineStatusInput& in) {
             in.runState = 0;
             in.secondsSinceRead = 2.9;
         },
         {"127.0.0.5", "PROGRAM", "TaskTime = 4 ms", "CPU = 12 %", "", "Data valid 2 s ago", ""}},
        {"run state 2 and the status not read", [](OnlineStatusInput& in) {
             in.runState = 2;
             in.taskTime = -1;
         },
         {"127.0.0.5", "?", "", "", "", "Data valid 0 s ago", ""}},
        {"task time 0", [](OnlineStatusInput& in) { in.taskTime = 0; },
         {"127.0.0.5", "RUN", "TaskTime < 1 ms", "CPU = 12 %", "", "Data valid 0 s ago", ""}},
        {"before the first complete read",
         [](OnlineStatusInput& in) {
             in.dataValid = false;
             in.secondsSinceRead.reset();
         },
         {"127.0.0.5", "RUN", "TaskTime = 4 ms", "CPU = 12 %", "", "...", ""}},
        {"runtime error with text",
         [](OnlineStatusInput& in) {
             in.status.errorCode = 101;
             in.status.programCounter = 77;
             in.status.instruction = 9;
             in.status.rungField = 4;
         },
         {"127.0.0.5", "RUN", "TaskTime = 4 ms", "CPU = 12 %",
          "Runtime Error(#101) - The numbers of JSR out parameters is different then in parameters. Program Counter = 77, Instruction = 9, Rung = 3",
          "Data valid 0 s ago", ""}},
        {"runtime error without text", [](OnlineStatusInput& in) { in.status.errorCode = 105; },
         {"127.0.0.5", "RUN", "TaskTime = 4 ms", "CPU = 12 %", "", "Data valid 0 s ago", ""}},
        {"prescan codes are not runtime errors", [](OnlineStatusInput& in) { in.status.errorCode = 5; },
         {"127.0.0.5", "RUN", "TaskTime = 4 ms", "CPU = 12 %", "", "Data valid 0 s ago", ""}},
        {"silent module",
         [](OnlineStatusInput& in) {
             in.dataValid = false;
             in.secondsSinceRead = 3;
             in.statusSuffix = " - Timeout";
             in.runState = -1;
             in.taskTime = -1;
         },
         {"127.0.0.5", "?", "", "", "", "...", "Module not answering (Timeout)"}},
        {"error reply", [](OnlineStatusInput& in) { in.statusSuffix = " - Error"; },
         {"127.0.0.5", "RUN", "TaskTime = 4 ms", "CPU = 12 %", "", "Data valid 0 s ago",
          "Module not answering (Error)"}},
        {"just online, no suffix yet", [](OnlineStatusInput& in) { in.statusSuffix.clear(); },
         {"127.0.0.5", "RUN", "TaskTime = 4 ms", "CPU = 12 %", "", "Data valid 0 s ago", ""}},
        {"offline", [](OnlineStatusInput& in) { in.debugging = false; }, {}},
    };
    for (const Case& c : cases) {
        OnlineStatusInput in = Online();
        c.change(in);
        const OnlineStatusLine line = MakeOnlineStatusLine(in);
        EXPECT_EQ(line.address, c.expected.address) << c.what;
        EXPECT_EQ(line.runState, c.expected.runState) << c.what;
        EXPECT_EQ(line.taskTime, c.expected.taskTime) << c.what;
        EXPECT_EQ(line.cpu, c.expected.cpu) << c.what;
        EXPECT_EQ(line.error, c.expected.error) << c.what;
        EXPECT_EQ(line.dataValid, c.expected.dataValid) << c.what;
        EXPECT_EQ(line.silent, c.expected.silent) << c.what;
    }
    EXPECT_TRUE(MakeOnlineStatusLine({}).Empty());
}

} // namespace
} // namespace pontra::test
