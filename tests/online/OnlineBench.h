// SPDX-License-Identifier: GPL-3.0-or-later
// A saved project, a frame with a scripted host around it, and soft modules run as
// processes on loopback for it. The project's program exercises what the online tests
// look at: a running timer, a counter and a lamp driven by an input, and one tag of each
// elementary type with a few display styles.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "build/BuildFixtures.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace pontra::test {

using namespace std::chrono_literals;

class OnlineBench {
public:
    explicit OnlineBench(const std::string& controllerType = "Vessa");

    CProject& project() { return frame.project(); }
    CVessaDoc& doc() { return frame.doc(); }
    OnlineSession& online();

    // The test program: Run (1) drives timer T1; Input counts on C1 and lights Lamp.
    void AddTestProgram();
    // Saves the project as "line.clp" in the private folder (untitled before).
    bool Save();
    // Builds the image file of the saved project and returns its path.
    std::string BuildImage();
    // Starts `count` soft modules (pontra-sim options `args`) and points the project
    // (in memory, not modified) and the frame's ports at the first one.
    bool StartModules(const std::vector<std::string>& args = {}, int count = 1);
    // A register of the first module, read over the register protocol.
    int ModuleRegister(int reg, int module = 0);

    // "Download Program" answering OK to every question.
    bool Download();
    // "Debug" through both halves; true when debug mode began.
    bool GoOnline();
    // Fires timer 1 and waits for the complete read of tag memory that follows.
    bool Poll();
    // "Stop Debugging", firing timer 2 until the stop has completed.
    bool Stop();
    // The live value text of a main-program tag (member paths allowed).
    std::string Value(const std::string& name);
    const CTag& Tag(const std::string& name);
    std::vector<std::string> Lines() const;

    ScriptedHost host;
    CMainFrame frame{host};
    TempDir dir;
    sim::test::SimProcess sim;
};

} // namespace pontra::test
