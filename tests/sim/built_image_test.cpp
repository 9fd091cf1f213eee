// Images that Pontra itself builds (pontra-cli make-bin) load without header or prescan
// error and compute what their ladder says.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "files/ProjectWriter.h"
#include "model/Catalogue.h"
#include "model/Project.h"
#include "model/Types.h"
#include "sim/ImageCheck.h"
#include "sim/LadderMachine.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra::sim::test {
namespace {

std::unique_ptr<CElement> El(const std::string& mnemonic, std::initializer_list<std::string> operands = {}) {
    auto element = std::make_unique<CElement>(MnemonicToKind(mnemonic));
    size_t i = 0;
    for (const auto& operand : operands) element->operands[i++] = operand;
    return element;
}

CRung& Rung(RungList& rungs) {
    rungs.push_back(NewRung());
    return *rungs.back();
}

void Branch(CRung& rung, std::vector<std::unique_ptr<CElement>> legs) {
    CElement& branch = rung.Append(std::make_unique<CElement>(kKindBranch));
    for (auto& element : legs) {
        auto leg = std::make_unique<CRung>();
        leg->flag = 1;
        leg->parent = &rung;
        leg->Append(std::make_unique<CElement>(kKindBranchLevel));
        leg->Append(std::move(element));
        branch.legs.push_back(std::move(leg));
    }
    rung.Append(std::make_unique<CElement>(kKindBranchEnd));
}

void AddTag(const CProject& p, TagList& list, const std::string& name, const std::string& type, int usage) {
    auto tag = std::make_unique<CTag>(name, type);
    tag->usage = usage;
    BuildMembers(p, *tag);
    list.push_back(std::move(tag));
}

// Main program and two function blocks, one calling the other. Parameters travel by
// explicit copies, as in a saved ladder project (a JFB's bindings are not stored):
//   Scale(In -> Out): Out := In * 3; Calls := Calls + 1
//   Latch(Set, Reset, Value -> Q, Scaled): Q := (Set OR Q) AND NOT Reset;
//                                          Sc.In := Value; JFB Sc; Scaled := Sc.Out
//   main: L1.Set := StartPB; L1.Reset := StopPB; L1.Value := Raw; JFB L1;
//         Motor := L1.Q; Result := L1.Scaled
std::unique_ptr<CProject> Plant() {
    auto p = NewProject("Vessa");
    p->units.push_back(std::make_unique<CUnit>("Scale", kUnitFunctionBlock));
    CUnit& scale = *p->units.back();
    AddTag(*p, scale.tags, "In", "DINT", kUsageInput);
    AddTag(*p, scale.tags, "Out", "DINT", kUsageOutput);
    AddTag(*p, scale.tags, "Calls", "DINT", kUsageStatic);
    Rung(scale.rungs).Append(El("MUL", {"In", "3", "Out"}));
    Rung(scale.rungs).Append(El("ADD", {"Calls", "1", "Calls"}));

    p->units.push_back(std::make_unique<CUnit>("Latch", kUnitFunctionBlock));
    CUnit& latch = *p->units.back();
    AddTag(*p, latch.tags, "Set", "BOOL", kUsageInput);
    AddTag(*p, latch.tags, "Reset", "BOOL", kUsageInput);
    AddTag(*p, latch.tags, "Value", "DINT", kUsageInput);
    AddTag(*p, latch.tags, "Q", "BOOL", kUsageOutput);
    AddTag(*p, latch.tags, "Scaled", "DINT", kUsageOutput);
    AddTag(*p, latch.tags, "Sc", "Scale", kUsageStatic);
    CRung& seal = Rung(latch.rungs);
    std::vector<std::unique_ptr<CElement>> legs;
    legs.push_back(El("XIC", {"Set"}));
    legs.push_back(El("XIC", {"Q"}));
    Branch(seal, std::move(legs));
    seal.Append(El("XIO", {"Reset"}));
    seal.Append(El("OTE", {"Q"}));
    Rung(latch.rungs).Append(El("MOV", {"Value", "Sc.In"}));
    Rung(latch.rungs).Append(El("JFB", {"Sc"}));
    Rung(latch.rungs).Append(El("MOV", {"Sc.Out", "Scaled"}));

    CVessaDoc& d = p->doc;
    d.rungs.clear();
    for (const char* name : {"StartPB", "StopPB", "Motor"}) AddTag(*p, d.tags, name, "BOOL", kUsageNone);
    AddTag(*p, d.tags, "Raw", "DINT", kUsageNone);
    AddTag(*p, d.tags, "Result", "DINT", kUsageNone);
    AddTag(*p, d.tags, "L1", "Latch", kUsageNone);
    auto copyBit = [&](const std::string& from, const std::string& to) {
        CRung& r = Rung(d.rungs);
        r.Append(El("XIC", {from}));
        r.Append(El("OTE", {to}));
    };
    copyBit("StartPB", "L1.Set");
    copyBit("StopPB", "L1.Reset");
    Rung(d.rungs).Append(El("MOV", {"Raw", "L1.Value"}));
    Rung(d.rungs).Append(El("JFB", {"L1"}));
    copyBit("L1.Q", "Motor");
    Rung(d.rungs).Append(El("MOV", {"L1.Scaled", "Result"}));
    return p;
}

struct Where {
    uint32_t address = 0;
    int bit = 0;
};

// Tag addresses as the layout gives them, from pontra-cli dump.
std::map<std::string, Where> Addresses(const std::string& path) {
    std::map<std::string, Where> where;
    const auto dump = RunCli({"dump", path});
    const auto json = nlohmann::json::parse(dump.out, nullptr, false);
    if (json.is_discarded()) return where;
    std::function<void(const nlohmann::json&)> walk = [&](const nlohmann::json& tags) {
        for (const auto& t : tags) {
            where[t["name"]] = {t["address"].get<uint32_t>(), t["bit"].get<int>()};
            walk(t["members"]);
        }
    };
    walk(json["main"]["tags"]);
    return where;
}

TEST(BuiltImage, MainProgramWithTwoFunctionBlocksRunsAsItsLadderSays) {
    if (RunCli({"--help"}).out.find("make-bin") == std::string::npos)
        GTEST_SKIP() << "pontra-cli make-bin is not part of this build yet";
    TempDir dir;
    auto project = Plant();
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WriteProject(*project, bytes, error)) << error;
    const std::string path = dir.File("Plant.clp");
    WriteBytes(path, bytes);
    const auto made = RunCli({"make-bin", path});
    ASSERT_EQ(made.status, 0) << made.out << made.err;
    const std::vector<uint8_t> image = ReadBytes(dir.File("PLCDATA_Plant.bin"));
    const auto at = Addresses(path);
    for (const char* name : {"StartPB", "StopPB", "Motor", "Raw", "Result", "L1.Sc.Calls"})
        ASSERT_TRUE(at.count(name)) << name;

    LadderMachine m(FamilyName("Vessa"));
    m.Load(image);
    ASSERT_EQ(m.HeaderError(), 0);
    ASSERT_EQ(m.Error().code, 0) << "prescan error at word " << m.Error().pc << ", instruction " << m.Error().instruction;
    auto bit = [&](const char* name) {
        const Where w = at.at(name);
        return (m.Tags()[w.address + w.bit / 8] >> (w.bit % 8)) & 1;
    };
    auto set = [&](const char* name, bool on) {
        const Where w = at.at(name);
        auto& byte = m.Tags()[w.address + w.bit / 8];
        byte = static_cast<uint8_t>(on ? byte | 1 << (w.bit % 8) : byte & ~(1 << (w.bit % 8)));
    };
    auto dint = [&](const char* name) {
        const uint32_t a = at.at(name).address;
        return static_cast<int32_t>(m.Tags()[a] | m.Tags()[a + 1] << 8 | m.Tags()[a + 2] << 16 |
                                    static_cast<uint32_t>(m.Tags()[a + 3]) << 24);
    };
    const uint32_t raw = at.at("Raw").address;
    m.Tags()[raw] = 7;

    uint64_t now = 0;
    const struct { bool start, stop, motor; } steps[] = {
        {false, false, false}, {true, false, true}, {false, false, true}, {false, true, false}, {false, false, false},
    };
    for (const auto& s : steps) {
        set("StartPB", s.start);
        set("StopPB", s.stop);
        ASSERT_TRUE(m.Scan(now += 10));
        EXPECT_EQ(bit("Motor"), s.motor) << "start " << s.start << " stop " << s.stop;
        EXPECT_EQ(dint("Result"), 21);
    }
    EXPECT_EQ(dint("L1.Sc.Calls"), 5);
}

}  // namespace
}  // namespace pontra::sim::test
