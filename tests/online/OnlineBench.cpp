// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnlineBench.h"

#include <gtest/gtest.h>

#include "build/OperandScope.h"
#include "build/ProgramImage.h"
#include "comm/RegisterClient.h"
#include "online/DownloadProgram.h"
#include "online/OnlineSession.h"
#include "online/StartDebugging.h"
#include "shell/DocumentLifecycle.h"

namespace pontra::test {

OnlineBench::OnlineBench(const std::string& controllerType) {
    frame.SetProject(NewProject(controllerType));
    online().restartWaitMs = 50; // the soft module needs no time to restart
}

OnlineSession& OnlineBench::online() {
    return frame.online();
}

void OnlineBench::AddTestProgram() {
    CProject& p = project();
    TagList& tags = p.doc.tags;
    AddTag(p, tags, "Run", "BOOL").initialValue = "1";
    AddTag(p, tags, "Input", "BOOL");
    AddTag(p, tags, "Lamp", "BOOL");
    CTag& timer = AddTag(p, tags, "T1", "TIMER");
    for (auto& member : timer.members)
        if (member->name == "T1.PRE") member->initialValue = "1000000";
    CTag& counter = AddTag(p, tags, "C1", "COUNTER");
    for (auto& member : counter.members)
        if (member->name == "C1.PRE") member->initialValue = "1000";
    AddTag(p, tags, "Small", "SINT").initialValue = "-5";
    AddTag(p, tags, "Level", "INT").initialValue = "-300";
    AddTag(p, tags, "Big", "DINT").initialValue = "-70000";
    AddTag(p, tags, "Flags", "BYTE");
    AddTag(p, tags, "Mask", "WORD").style = "Hex";
    AddTag(p, tags, "Word32", "DWORD").style = "Binary";
    p.doc.rungs.clear();
    AddRung(p.doc.rungs, Els(El("XIC", {"Run"}), El("TON", {"T1"})));
    AddRung(p.doc.rungs, Els(El("XIC", {"Input"}), El("CTU", {"C1"})));
    AddRung(p.doc.rungs, Els(El("XIC", {"Input"}), El("OTE", {"Lamp"})));
}

bool OnlineBench::Save() {
    return SaveDocumentAs(frame, dir.File("line.clp"));
}

std::string OnlineBench::BuildImage() {
    std::string path;
    EXPECT_TRUE(BuildProgramImage(frame, path, false)) << ::testing::PrintToString(Lines());
    return path;
}

bool OnlineBench::StartModules(const std::vector<std::string>& args, int count) {
    if (!sim.Start(args, count)) return false;
    uint32_t address = 0;
    ParseModuleAddress(sim.address, address);
    doc().SetModuleAddress(address);
    frame.UpdateTitles();
    return online().SetPorts({sim.modbusPort, sim.tftpPort, sim.udpPort});
}

int OnlineBench::ModuleRegister(int reg, int module) {
    CRegisterClient client(sim.modbusPort);
    std::vector<uint16_t> value;
    if (!client.ConnectModule(sim.Address(module)) || !client.ReadModuleRegisters(reg, 1, value)) return -1;
    return value[0];
}

bool OnlineBench::Download() {
    host.defaultAnswer = true;
    const bool done = DownloadProgram(frame);
    host.defaultAnswer = false;
    return done;
}

bool OnlineBench::GoOnline() {
    if (!StartDebugging(frame)) return false;
    host.PumpUntil([&] { return !online().AwaitingStart(); }, 5s);
    return frame.debugMode != 0;
}

bool OnlineBench::Poll() {
    const uint64_t before = online().CompleteReads();
    host.FireTimer(kPollTimer);
    return host.PumpUntil([&] { return online().CompleteReads() > before; }, 3s);
}

bool OnlineBench::Stop() {
    online().StopDebugging();
    return host.PumpUntil(
        [&] {
            host.FireTimer(kStopTimer);
            return frame.debugMode == 0;
        },
        3s);
}

const CTag& OnlineBench::Tag(const std::string& name) {
    const UnitScope scope = MainProgramScope(project());
    const CTag* tag = FindOperandTag(scope, name).tag;
    EXPECT_NE(tag, nullptr) << name;
    static const CTag none;
    return tag ? *tag : none;
}

std::string OnlineBench::Value(const std::string& name) {
    return online().ValueText(Tag(name), 0);
}

std::vector<std::string> OnlineBench::Lines() const {
    std::vector<std::string> lines;
    for (const auto& line : frame.output.Lines()) lines.push_back(line.text);
    return lines;
}

} // namespace pontra::test
