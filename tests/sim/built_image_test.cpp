// SPDX-License-Identifier: GPL-3.0-or-later
// Images that Pontra itself builds (pontra-cli make-bin) load without header or prescan
// error and compute what their ladder says.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "build/ProgramImage.h"
#include "files/ProjectWriter.h"
#include "model/Catalogue.h"
#include "model/ControllerTypes.h"
#include "model/Project.h"
#include "model/Types.h"
#include "sim/ImageCheck.h"
#include "sim/LadderMachine.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra::sim::test {
namespace {

// A rung of elements given as mnemonic and operands; "||" before an element starts a
// two-leg branch of it and the next one.
void AddRung(RungList& rungs, std::vector<std::vector<std::string>> elements) {
    rungs.push_back(NewRung());
    CRung& rung = *rungs.back();
    auto make = [](const std::vector<std::string>& e) {
        auto element = std::make_unique<CElement>(MnemonicToKind(e[0]));
        for (size_t i = 1; i < e.size(); ++i) element->operands[i - 1] = e[i];
        return element;
    };
    for (size_t i = 0; i < elements.size(); ++i) {
        if (elements[i][0] != "||") {
            rung.Append(make(elements[i]));
            continue;
        }
        CElement& branch = rung.Append(std::make_unique<CElement>(kKindBranch));
        for (size_t leg = 1; leg <= 2; ++leg) {
            auto level = std::make_unique<CRung>();
            level->flag = 1;
            level->parent = &rung;
            level->Append(std::make_unique<CElement>(kKindBranchLevel));
            level->Append(make(leg == 1 ? std::vector<std::string>(elements[i].begin() + 1, elements[i].end())
                                        : elements[i + 1]));
            branch.legs.push_back(std::move(level));
        }
        rung.Append(std::make_unique<CElement>(kKindBranchEnd));
        ++i;
    }
}

void AddTags(const CProject& p, TagList& list, std::vector<std::tuple<std::string, std::string, int>> tags) {
    for (auto& [name, type, usage] : tags) {
        list.push_back(std::make_unique<CTag>(name, type));
        list.back()->usage = usage;
        BuildMembers(p, *list.back());
    }
}

// Main program and two function blocks, one calling the other. Parameters travel by
// explicit copies, as in a saved ladder project (a JFB's bindings are not stored).
std::unique_ptr<CProject> Plant() {
    auto p = NewProject("Vessa");
    p->units.push_back(std::make_unique<CUnit>("Scale", kUnitFunctionBlock));
    CUnit& scale = *p->units.back();
    AddTags(*p, scale.tags,
            {{"In", "DINT", kUsageInput}, {"Out", "DINT", kUsageOutput}, {"Calls", "DINT", kUsageStatic}});
    AddRung(scale.rungs, {{"MUL", "In", "3", "Out"}});
    AddRung(scale.rungs, {{"ADD", "Calls", "1", "Calls"}});
    p->units.push_back(std::make_unique<CUnit>("Latch", kUnitFunctionBlock));
    CUnit& latch = *p->units.back();
    AddTags(*p, latch.tags,
            {{"Set", "BOOL", kUsageInput}, {"Reset", "BOOL", kUsageInput}, {"Value", "DINT", kUsageInput},
             {"Q", "BOOL", kUsageOutput}, {"Scaled", "DINT", kUsageOutput}, {"Sc", "Scale", kUsageStatic}});
    AddRung(latch.rungs, {{"||", "XIC", "Set"}, {"XIC", "Q"}, {"XIO", "Reset"}, {"OTE", "Q"}});
    AddRung(latch.rungs, {{"MOV", "Value", "Sc.In"}});
    AddRung(latch.rungs, {{"JFB", "Sc"}});
    AddRung(latch.rungs, {{"MOV", "Sc.Out", "Scaled"}});
    CVessaDoc& d = p->doc;
    d.rungs.clear();
    AddTags(*p, d.tags, {{"StartPB", "BOOL", 0}, {"StopPB", "BOOL", 0}, {"Motor", "BOOL", 0}, {"Raw", "DINT", 0},
                         {"Result", "DINT", 0}, {"L1", "Latch", 0}});
    AddRung(d.rungs, {{"XIC", "StartPB"}, {"OTE", "L1.Set"}});
    AddRung(d.rungs, {{"XIC", "StopPB"}, {"OTE", "L1.Reset"}});
    AddRung(d.rungs, {{"MOV", "Raw", "L1.Value"}});
    AddRung(d.rungs, {{"JFB", "L1"}});
    AddRung(d.rungs, {{"XIC", "L1.Q"}, {"OTE", "Motor"}});
    AddRung(d.rungs, {{"MOV", "L1.Scaled", "Result"}});
    return p;
}

TEST(BuiltImage, MainProgramWithTwoFunctionBlocksRunsAsItsLadderSays) {
    TempDir dir;
    auto project = Plant();
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WriteProject(*project, bytes, error)) << error;
    WriteBytes(dir.File("Plant.clp"), bytes);
    const auto made = RunCli({"make-bin", dir.File("Plant.clp")});
    ASSERT_EQ(made.status, 0) << made.out << made.err;

    // tag addresses as the layout gives them
    std::map<std::string, std::pair<uint32_t, int>> at;
    std::function<void(const nlohmann::json&)> walk = [&](const nlohmann::json& tags) {
        for (const auto& t : tags) {
            at[t["name"]] = {t["address"].get<uint32_t>(), t["bit"].get<int>()};
            walk(t["members"]);
        }
    };
    walk(nlohmann::json::parse(RunCli({"dump", dir.File("Plant.clp")}).out)["main"]["tags"]);
    ASSERT_TRUE(at.count("L1.Sc.Calls"));

    LadderMachine m(FamilyName("Vessa"));
    m.Load(ReadBytes(dir.File("PLCDATA_Plant.bin")));
    ASSERT_EQ(m.HeaderError(), 0);
    ASSERT_EQ(m.Error().code, 0) << "prescan error at word " << m.Error().pc;
    auto byte = [&](const char* name) -> uint8_t& { return m.Tags()[at[name].first + at[name].second / 8]; };
    auto bit = [&](const char* name) { return (byte(name) >> (at[name].second % 8)) & 1; };
    auto set = [&](const char* name, bool on) {
        const int mask = 1 << (at[name].second % 8);
        byte(name) = static_cast<uint8_t>(on ? byte(name) | mask : byte(name) & ~mask);
    };
    byte("Raw") = 7;
    const struct { bool start, stop, motor; } steps[] = {
        {false, false, false}, {true, false, true}, {false, false, true}, {false, true, false}, {false, false, false},
    };
    uint64_t now = 0;
    for (const auto& s : steps) {
        set("StartPB", s.start);
        set("StopPB", s.stop);
        ASSERT_TRUE(m.Scan(now += 10));
        EXPECT_EQ(bit("Motor"), s.motor) << "start " << s.start << " stop " << s.stop;
        EXPECT_EQ(byte("Result"), 21);
    }
    EXPECT_EQ(byte("L1.Sc.Calls"), 5);
}

TEST(BuiltImage, EveryModuleTypeAcceptsTheFamilyItsProjectsWrite) {
    std::vector<std::string> types(ControllerPropertiesTypes().begin(), ControllerPropertiesTypes().end());
    types.insert(types.end(), {"Aldera", "KTX-310-1", "KTX-310-B", "KTX-310-0", "KTI-8-0"});
    for (const auto& type : types) EXPECT_EQ(FamilyName(type), ControllerFamilyName(type)) << type;
}

}  // namespace
}  // namespace pontra::sim::test
