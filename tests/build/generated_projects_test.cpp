// SPDX-License-Identifier: GPL-3.0-or-later
// Many generated valid projects (ladder units with nested branches, timers, counters,
// arrays with tag and constant indexes, registers, jumps, function blocks calling
// function blocks with bound parameters) must verify cleanly and build into images that
// pass every check of the independent image checker.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "BuildFixtures.h"
#include "ImageChecker.h"
#include "build/ProgramImage.h"
#include "model/Types.h"

namespace pontra {
namespace {

using namespace test;

// Operands a unit's code may use without breaking a scope rule.
struct Pool {
    std::vector<std::string> boolRead, boolWrite, intRead, intWrite, timers, counters;
    std::vector<std::string> arrayRead, arrayWrite;  // array elements with tag or constant indexes
    std::vector<std::pair<std::string, std::string>> instances;  // instance, function block
};

class Generator {
public:
    explicit Generator(uint32_t seed) : rng_(seed) {}

    void Fill(CProject& p) {
        static const char* const kTypes[] = {"Vessa", "VessaK1", "Kormo", "Brindle", "Oskel", "Vessa-IX", "VessaK3"};
        p.doc.controllerType = kTypes[Pick(std::size(kTypes))];
        p.doc.controllerTags.clear();
        p.doc.rungs.clear();
        BuildControllerTagsFor(p);
        AddUserType(p, "Rec", {{"F", "BOOL"}, {"V", "DINT"}, {"W", "INT"}, {"Tm", "TIMER"}});
        const int blocks = static_cast<int>(Pick(4));
        for (int k = 0; k < blocks; ++k) AddBlock(p, k);
        AddMain(p, blocks);
    }

private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
    bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }
    const std::string& Any(const std::vector<std::string>& list) { return list[Pick(list.size())]; }
    std::string Constant() { return std::to_string(static_cast<int>(Pick(2001)) - 1000); }

    static void BuildControllerTagsFor(CProject& p) {
        auto fresh = NewProject(p.doc.controllerType);
        p.doc.controllerTags = std::move(fresh->doc.controllerTags);
    }

    // A numeric source: a tag, a constant or an array element.
    std::string Source(const Pool& pool, bool arrays) {
        const size_t roll = Pick(10);
        if (roll < 2) return Constant();
        if (roll < 4 && arrays && !pool.arrayRead.empty()) return Any(pool.arrayRead);
        return Any(pool.intRead);
    }
    std::string Dest(const Pool& pool, bool arrays) {
        if (arrays && !pool.arrayWrite.empty() && Chance(30)) return Any(pool.arrayWrite);
        return Any(pool.intWrite);
    }

    std::unique_ptr<CElement> Condition(const Pool& pool) {
        switch (Pick(6)) {
            case 0: return El("XIO", {Any(pool.boolRead)});
            case 1: {
                static const char* const kCompare[] = {"EQU", "NEQ", "LES", "GRT", "LEQ", "GEQ"};
                return El(kCompare[Pick(6)], {Source(pool, true), Source(pool, true)});
            }
            case 2: return El(Chance(50) ? "LIM" : "MEQ", {Source(pool, true), Source(pool, true), Source(pool, true)});
            default: return El("XIC", {Any(pool.boolRead)});
        }
    }

    std::unique_ptr<CElement> Output(const Pool& pool, const std::string& controllerType) {
        switch (Pick(14)) {
            case 0: return El(Chance(50) ? "OTL" : "OTU", {Any(pool.boolWrite)});
            case 1: return El(Chance(50) ? "OSR" : "OSF", {Any(pool.boolWrite), Any(pool.boolWrite)});
            case 2: {
                static const char* const kTimers[] = {"TON", "TOF", "RTO"};
                return El(kTimers[Pick(3)], {Any(pool.timers)});
            }
            case 3:
                if (pool.counters.empty()) return El("OTE", {Any(pool.boolWrite)});
                return El(Chance(50) ? "CTU" : "CTD", {Any(pool.counters)});
            case 4: return El("RES", {Any(Chance(50) || pool.counters.empty() ? pool.timers : pool.counters)});
            case 5: {
                static const char* const kMath[] = {"ADD", "SUB", "MUL", "DIV", "MOD", "AND", "OR", "XOR", "MVM"};
                return El(kMath[Pick(9)], {Source(pool, true), Source(pool, true), Dest(pool, true)});
            }
            case 6: return El(Chance(50) ? "SHL" : "SHR", {Source(pool, false), Source(pool, false), Dest(pool, false)});
            case 7: {
                static const char* const kMove[] = {"MOV", "NEG", "ABS", "NOT"};
                return El(kMove[Pick(4)], {Source(pool, true), Dest(pool, true)});
            }
            case 8: return El("CLR", {Dest(pool, true)});
            case 9: return El("RDR", {std::to_string(1 + Pick(512)), Any(pool.intWrite)});
            case 10: return El(Chance(50) ? "WRR" : "WRC", {Any(pool.intRead), std::to_string(1 + Pick(7))});
            case 11:
                if (controllerType == "Brindle" || controllerType == "Vessa-IX") return El("TON", {Any(pool.timers)});
                return El(Chance(50) ? "DOL" : "DOR", {Any(pool.timers)});
            case 12: return pool.instances.empty() ? El("ONS", {Any(pool.boolRead)}) : Call(pool);
            default: return El("OTE", {Any(pool.boolWrite)});
        }
    }

    // A call with a random selection of bound parameters of the generated blocks.
    std::unique_ptr<CElement> Call(const Pool& pool) {
        const auto& [instance, block] = pool.instances[Pick(pool.instances.size())];
        auto jfb = El("JFB", {instance});
        if (Chance(70)) jfb->callParams.push_back({"In0", "BOOL", 1, Any(pool.boolRead), ""});
        if (Chance(50)) jfb->callParams.push_back({"In1", "DINT", 1, Chance(50) ? Constant() : Any(pool.intRead), ""});
        if (Chance(50)) jfb->callParams.push_back({"Out0", "BOOL", 2, "", Any(pool.boolWrite)});
        if (Chance(50)) jfb->callParams.push_back({"Out1", "INT", 2, "", Any(pool.intWrite)});
        (void)block;
        return jfb;
    }

    void AddLeg(CRung& leg, const Pool& pool, const std::string& type, int depth) {
        for (size_t i = Pick(3); i > 0; --i) leg.Append(Condition(pool));
        if (depth < 3 && Chance(25)) AddBranchTo(leg, pool, type, depth + 1);
        if (Chance(40)) leg.Append(Output(pool, type));
    }

    void AddBranchTo(CRung& rung, const Pool& pool, const std::string& type, int depth) {
        std::vector<Elements> legs(2 + Pick(3));
        CElement& branch = AddBranchLegs(rung, std::move(legs));
        for (auto& leg : branch.legs) AddLeg(*leg, pool, type, depth);
    }

    void AddRungs(RungList& rungs, const Pool& pool, const std::string& type) {
        const int count = 1 + static_cast<int>(Pick(8));
        for (int r = 0; r < count; ++r) {
            CRung& rung = AddRung(rungs);
            for (size_t i = Pick(3); i > 0; --i) rung.Append(Condition(pool));
            if (Chance(40)) AddBranchTo(rung, pool, type, 1);
            for (size_t i = 1 + Pick(2); i > 0; --i) rung.Append(Output(pool, type));
        }
        // Forward jumps to labels that start later rungs.
        for (int r = 0; r + 1 < count; ++r) {
            if (!Chance(30)) continue;
            const size_t target = static_cast<size_t>(r + 1) + Pick(static_cast<size_t>(count - r - 1));
            CRung& labelled = *rungs[target];
            if (labelled.elements.size() < 2 || labelled.elements[1]->mnemonic != "LBL")
                labelled.Insert(1, El("LBL", {"L" + std::to_string(labels_++)}));
            rungs[static_cast<size_t>(r)]->Append(El("JMP", {labelled.elements[1]->operands[0]}));
        }
    }

    void AddBlock(CProject& p, int k) {
        CUnit& fb = AddFunctionBlock(p, "Fb" + std::to_string(k));
        AddTag(p, fb.tags, "In0", "BOOL", kUsageInput);
        AddTag(p, fb.tags, "In1", "DINT", kUsageInput);
        AddTag(p, fb.tags, "Out0", "BOOL", kUsageOutput);
        AddTag(p, fb.tags, "Out1", "INT", kUsageOutput);
        AddTag(p, fb.tags, "S0", "DINT", kUsageStatic);
        AddTag(p, fb.tags, "S1", "BOOL", kUsageStatic);
        AddTag(p, fb.tags, "Tm", "TIMER", kUsageStatic);
        AddTag(p, fb.tags, "Ar", Chance(50) ? "DINT[4]" : "SINT[5]", kUsageStatic);
        AddTag(p, fb.tags, "ix", "INT", kUsageStatic);
        Pool pool;
        pool.boolRead = {"In0", "S1", "Out0", "Tm.DN", "S0.7", "In1.31"};
        pool.boolWrite = {"Out0", "S1", "S0.3", "Out1.15"};
        pool.intRead = {"In1", "S0", "Out1", "ix", "Ar[1]"};
        pool.intWrite = {"S0", "Out1", "ix"};
        pool.arrayRead = {"Ar[ix]", "Ar[S0]"};
        pool.arrayWrite = {"Ar[ix]"};
        pool.timers = {"Tm"};
        if (k > 0 && Chance(70)) {
            const std::string inner = "Fb" + std::to_string(Pick(static_cast<size_t>(k)));
            AddTag(p, fb.tags, "Sub", inner, kUsageStatic);
            pool.instances.push_back({"Sub", inner});
            pool.boolRead.push_back("Sub.Out0");
            pool.boolWrite.push_back("Sub.In0");
            pool.intRead.push_back("Sub.Out1");
            pool.intWrite.push_back("Sub.In1");
        }
        AddRungs(fb.rungs, pool, p.doc.controllerType);
    }

    void AddMain(CProject& p, int blocks) {
        TagList& tags = p.doc.tags;
        Pool pool;
        const int bools = 1 + static_cast<int>(Pick(40));  // enough to spill into a second word
        for (int i = 0; i < bools; ++i) {
            const std::string name = "B" + std::to_string(i);
            AddTag(p, tags, name, "BOOL");
            pool.boolRead.push_back(name);
            pool.boolWrite.push_back(name);
        }
        static const char* const kInts[] = {"SINT", "INT", "DINT"};
        for (int i = 0; i < 6; ++i) {
            const std::string name = "N" + std::to_string(i);
            CTag& tag = AddTag(p, tags, name, kInts[Pick(3)]);
            if (Chance(20)) tag.nonVolatile = 1;
            pool.intRead.push_back(name);
            pool.intWrite.push_back(name);
            pool.boolRead.push_back(name + ".1");
            pool.boolWrite.push_back(name + ".0");
        }
        for (int i = 0; i < 2; ++i) {
            AddTag(p, tags, "T" + std::to_string(i), "TIMER");
            AddTag(p, tags, "C" + std::to_string(i), "COUNTER");
            pool.timers.push_back("T" + std::to_string(i));
            pool.counters.push_back("C" + std::to_string(i));
            pool.boolRead.push_back("T" + std::to_string(i) + ".DN");
            pool.boolRead.push_back("C" + std::to_string(i) + ".OV");
            pool.intRead.push_back("T" + std::to_string(i) + ".ACC");
            pool.intWrite.push_back("C" + std::to_string(i) + ".PRE");
        }
        const std::string a1 = std::string(kInts[Pick(3)]) + "[" + std::to_string(2 + Pick(9)) + "]";
        const std::string a2 = std::string(kInts[Pick(3)]) + "[" + std::to_string(2 + Pick(3)) + "," + std::to_string(2 + Pick(3)) + "]";
        AddTag(p, tags, "Arr", a1);
        AddTag(p, tags, "Grid", a2);
        AddTag(p, tags, "i", kInts[Pick(3)]);
        AddTag(p, tags, "j", kInts[Pick(3)]);
        pool.intWrite.push_back("i");
        pool.intRead.insert(pool.intRead.end(), {"i", "j", "Arr[1]", "Grid[1,1]"});
        pool.arrayRead = {"Arr[i]", "Arr[j]", "Grid[i,j]", "Grid[1,j]", "Grid[i,0]"};
        pool.arrayWrite = {"Arr[j]", "Grid[i,j]", "Grid[0,i]"};
        AddTag(p, tags, "R", "Rec");
        pool.boolRead.push_back("R.F");
        pool.boolWrite.push_back("R.F");
        pool.intRead.push_back("R.V");
        pool.intWrite.push_back("R.W");
        pool.timers.push_back("R.Tm");
        for (int k = 0; k < blocks; ++k) {
            for (int n = 0; n < 1 + static_cast<int>(Pick(2)); ++n) {
                const std::string name = "M" + std::to_string(k) + "_" + std::to_string(n);
                AddTag(p, tags, name, "Fb" + std::to_string(k));
                pool.instances.push_back({name, "Fb" + std::to_string(k)});
                pool.boolRead.push_back(name + ".Out0");
                pool.boolWrite.push_back(name + ".In0");
                pool.intRead.push_back(name + ".Out1");
                pool.intWrite.push_back(name + ".In1");
            }
        }
        AddRungs(p.doc.rungs, pool, p.doc.controllerType);
    }

    std::mt19937 rng_;
    int labels_ = 0;
};

TEST(GeneratedProjects, VerifyCleanlyAndBuildImagesThatPassEveryCheck) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        Bench bench;
        Generator(seed).Fill(bench.project());
        bench.SetPath("Gen" + std::to_string(seed) + ".clp");
        SaveAndReload(bench);
        std::string path;
        const bool built = BuildProgramImage(bench.frame, path, false);
        ASSERT_TRUE(built) << "seed " << seed << "\n" << ::testing::PrintToString(bench.ErrorLines())
                           << ::testing::PrintToString(bench.host.Messages());
        const ImageReport report = CheckImage(ReadFile(path));
        ASSERT_TRUE(report.problems.empty()) << "seed " << seed << "\n" << ::testing::PrintToString(report.problems);
        size_t blocks = 0;
        for (const auto& unit : bench.project().units) blocks += unit->IsFunctionBlock();
        EXPECT_EQ(report.units.size(), 1 + blocks) << "seed " << seed;
        EXPECT_EQ(report.units[0].rungs, static_cast<int>(bench.doc().rungs.size())) << "seed " << seed;
        EXPECT_EQ(report.name, "PLCDATA_Gen" + std::to_string(seed) + ".bin");
    }
}

// The checker is only worth its passes if it fails broken images.
TEST(GeneratedProjects, CheckerNoticesBrokenImages) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "BOOL");
    AddTag(p, p.doc.tags, "D", "DINT");
    AddRung(p.doc.rungs, Els(El("XIC", {"A"}), El("ADD", {"D", "5", "D"})));
    bench.SetPath("Check.clp");
    std::string path;
    ASSERT_TRUE(BuildProgramImage(bench.frame, path, false));
    const auto good = ReadFile(path);
    ASSERT_TRUE(CheckImage(good).problems.empty());
    // Code words: RUNG, XIC, A, ADD, D, 5, D, RND, END, 0, 0xACACACAC.
    const auto codeByte = [](int word, int byte) { return static_cast<size_t>(180 + 4 * word + byte); };
    const std::vector<std::pair<const char*, std::function<void(std::vector<uint8_t>&)>>> breaks = {
        {"bit position", [&](auto& b) { b[codeByte(1, 1)] = 32; }},
        {"operand type", [&](auto& b) { b[codeByte(3, 1)] = 3; }},
        {"alignment", [&](auto& b) { b[codeByte(4, 0)] += 2; }},
        {"address", [&](auto& b) { b[codeByte(6, 1)] = 0x40; }},
        {"rung end", [&](auto& b) { b[codeByte(7, 0)] = 1; }},
        {"marker", [&](auto& b) { b[codeByte(10, 0)] = 0; }},
        {"code offset", [&](auto& b) { b[0x2C] = 184; }},
        {"trailer", [&](auto& b) { b.pop_back(); }},
    };
    for (const auto& [name, spoil] : breaks) {
        auto broken = good;
        spoil(broken);
        EXPECT_FALSE(CheckImage(broken).problems.empty()) << name;
    }
}

}  // namespace
}  // namespace pontra
