// SPDX-License-Identifier: GPL-3.0-or-later
// The full build of the largest project a module holds: verification (with the compile
// of every Structured Text block), tag layout, code generation and the image file.
// Twenty function blocks, half in Structured Text, instanced from a main program; at
// full size the code area is near its 40,000 bytes and the tag memory near its 10,000.
// Smaller sizes scale the rungs, statements, tags and instances. Target: under 10 ms.
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "build/ImageFormat.h"
#include "build/ProgramCode.h"
#include "build/ProgramImage.h"
#include "build/ProjectLayout.h"
#include "build/VerifyProject.h"
#include "host/ScriptedHost.h"
#include "model/Catalogue.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"
#include "st/StructuredText.h"

#include <unistd.h>

namespace pontra {
namespace {

constexpr int kBlocks = 20;  // the even ones ladder, the odd ones Structured Text

// Per full size; a quarter of the project has a quarter of each.
constexpr int kLadderRungsPerBlock = 10;
constexpr int kTextStatementsPerBlock = 12;
constexpr int kInstances = 60;
constexpr int kMainRungs = 80;
constexpr int kMainTagGroups = 44;

std::unique_ptr<CElement> El(const char* mnemonic, std::initializer_list<std::string> operands) {
    auto element = std::make_unique<CElement>(MnemonicToKind(mnemonic));
    size_t i = 0;
    for (const auto& operand : operands) element->operands[i++] = operand;
    return element;
}

using Elements = std::vector<std::unique_ptr<CElement>>;

template <typename... T>
Elements Els(T&&... elements) {
    Elements list;
    (list.push_back(std::forward<T>(elements)), ...);
    return list;
}

template <typename... L>
std::vector<Elements> Legs(L&&... legs) {
    std::vector<Elements> list;
    (list.push_back(std::forward<L>(legs)), ...);
    return list;
}

// A rung of the conveyor kind: a condition, a parallel branch, outputs.
void AddRung(RungList& rungs, Elements conditions, std::vector<Elements> legs, Elements outputs) {
    rungs.push_back(NewRung());
    CRung& rung = *rungs.back();
    for (auto& e : conditions) rung.Append(std::move(e));
    if (!legs.empty()) {
        CElement& branch = rung.Append(std::make_unique<CElement>(kKindBranch));
        for (auto& legElements : legs) {
            auto leg = std::make_unique<CRung>();
            leg->flag = 1;
            leg->parent = &rung;
            leg->Append(std::make_unique<CElement>(kKindBranchLevel));
            for (auto& e : legElements) leg->Append(std::move(e));
            branch.legs.push_back(std::move(leg));
        }
        rung.Append(std::make_unique<CElement>(kKindBranchEnd));
    }
    for (auto& e : outputs) rung.Append(std::move(e));
}

void AddTag(const CProject& project, TagList& tags, const std::string& name, const std::string& type, int usage) {
    auto tag = std::make_unique<CTag>(name, type);
    tag->usage = usage;
    BuildMembers(project, *tag);
    tags.push_back(std::move(tag));
}

void AddParameters(CProject& p, CUnit& fb) {
    AddTag(p, fb.tags, "Sensor", "BOOL", kUsageInput);
    AddTag(p, fb.tags, "Target", "DINT", kUsageInput);
    AddTag(p, fb.tags, "Motor", "BOOL", kUsageOutput);
    AddTag(p, fb.tags, "Count", "DINT", kUsageOutput);
    for (const char* name : {"Speed", "Total", "Delta", "State"}) AddTag(p, fb.tags, name, "DINT", kUsageStatic);
    AddTag(p, fb.tags, "Blocked", "BOOL", kUsageStatic);
    AddTag(p, fb.tags, "Lanes", "DINT[8]", kUsageStatic);
    AddTag(p, fb.tags, "i", "INT", kUsageStatic);
}

void AddLadderBlock(CProject& p, const std::string& name, int quarters) {
    p.units.push_back(std::make_unique<CUnit>(name, kUnitFunctionBlock, kLanguageLadder));
    CUnit& fb = *p.units.back();
    AddParameters(p, fb);
    AddTag(p, fb.tags, "Tmr", "TIMER", kUsageStatic);
    AddTag(p, fb.tags, "Ctr", "COUNTER", kUsageStatic);
    const int rungs = kLadderRungsPerBlock * quarters / 4;
    for (int r = 0; r < rungs; ++r) {
        switch (r % 4) {
        case 0:
            AddRung(fb.rungs, Els(El("XIC", {"Sensor"}), El("XIO", {"Blocked"})),
                    Legs(Els(El("XIC", {"Tmr.DN"})), Els(El("GRT", {"Speed", "Target"}))),
                    Els(El("OTE", {"Motor"}), El("ADD", {"Total", "1", "Total"})));
            break;
        case 1:
            AddRung(fb.rungs, Els(El("XIC", {"Motor"})), {}, Els(El("TON", {"Tmr"}), El("CTU", {"Ctr"})));
            break;
        case 2:
            AddRung(fb.rungs, Els(El("LES", {"i", "8"})), {},
                    Els(El("MOV", {"Lanes[i]", "Delta"}), El("ADD", {"Lanes[i]", "Speed", "Lanes[i]"}),
                        El("MOV", {"Ctr.ACC", "Count"})));
            break;
        default:
            AddRung(fb.rungs, Els(El("EQU", {"State", "2"})),
                    Legs(Els(El("XIC", {"Sensor"})), Els(El("XIO", {"Motor"}), El("LIM", {"0", "Speed", "100"}))),
                    Els(El("SUB", {"Speed", "Delta", "Speed"}), El("OTL", {"Blocked"})));
            break;
        }
    }
    fb.rungs.push_back(NewRung());  // the editor's empty last rung
}

void AddTextBlock(CProject& p, const std::string& name, int quarters) {
    p.units.push_back(std::make_unique<CUnit>(name, kUnitFunctionBlock, kLanguageST));
    CUnit& fb = *p.units.back();
    AddParameters(p, fb);
    AddTag(p, fb.tags, "Tmr", "IEC_TON", kUsageStatic);
    // Zone after zone of the same statements, cut at a whole statement.
    static const std::vector<std::vector<const char*>> kStatements = {
        {"(* accumulate, then release *)", "IF Sensor AND NOT Blocked THEN", "    Total := Total + 1;",
         "    Motor := TRUE;", "ELSIF Tmr.Q THEN", "    Motor := FALSE;", "ELSE",
         "    Speed := MAX(Speed - 10, 0);", "END_IF;"},
        {"CASE State OF", "    0: Speed := Target;", "    1: Delta := (Target - Speed) / 4;", "ELSE",
         "    State := 0;", "END_CASE;"},
        {"FOR i := 0 TO 7 BY 1 DO", "    Lanes[i] := Lanes[i] + Delta;", "END_FOR;"},
        {"Tmr(EN := Motor, PT := 1500);"},
        {"Count := Total * 2 + Delta;"},
    };
    const int statements = std::max(1, kTextStatementsPerBlock * quarters / 4);
    for (int k = 0; k < statements; ++k)
        for (const char* line : kStatements[static_cast<size_t>(k) % kStatements.size()]) fb.text.push_back(line);
}

// The whole project at `quarters` quarters of the full size.
void Fill(CProject& p, int quarters) {
    for (int b = 0; b < kBlocks; ++b) {
        const std::string name = (b % 2 ? "Text" : "Ladder") + std::to_string(b / 2);
        if (b % 2)
            AddTextBlock(p, name, quarters);
        else
            AddLadderBlock(p, name, quarters);
        p.types.push_back(std::make_unique<CType>(name));
    }
    CVessaDoc& doc = p.doc;
    doc.rungs.clear();
    const int groups = kMainTagGroups * quarters / 4;
    for (int g = 0; g < groups; ++g) {
        const std::string n = std::to_string(g);
        for (const char* kind : {"Run", "Jam", "Eye"}) AddTag(p, doc.tags, kind + n, "BOOL", kUsageNone);
        AddTag(p, doc.tags, "Pos" + n, "DINT", kUsageNone);
        AddTag(p, doc.tags, "Gap" + n, "INT", kUsageNone);
        AddTag(p, doc.tags, "Delay" + n, "TIMER", kUsageNone);
        AddTag(p, doc.tags, "Parts" + n, "COUNTER", kUsageNone);
        AddTag(p, doc.tags, "Trace" + n, "DINT[4]", kUsageNone);
    }
    AddTag(p, doc.tags, "k", "INT", kUsageNone);
    // Instances, each called once with bound parameters, spread over the blocks in turn.
    const int instances = kInstances * quarters / 4;
    for (int call = 0; call < instances; ++call) {
        const CUnit& unit = *p.units[static_cast<size_t>(call % kBlocks)];
        const std::string inst = unit.name + "_" + std::to_string(call / kBlocks);
        const std::string g = std::to_string(call % groups);
        AddTag(p, doc.tags, inst, unit.name, kUsageNone);
        auto jfb = El("JFB", {inst});
        jfb->callParams.push_back({"Sensor", "BOOL", kUsageInput, "Eye" + g, ""});
        jfb->callParams.push_back({"Target", "DINT", kUsageInput, "Pos" + g, ""});
        jfb->callParams.push_back({"Motor", "BOOL", kUsageOutput, "", "Run" + g});
        AddRung(doc.rungs, {}, {}, Els(std::move(jfb)));
    }
    const int rungs = kMainRungs * quarters / 4;
    for (int r = 0; r < rungs; ++r) {
        const std::string n = std::to_string(r % groups), m = std::to_string((r + 1) % groups);
        switch (r % 3) {
        case 0:
            AddRung(doc.rungs, Els(El("XIC", {"Eye" + n}), El("XIO", {"Jam" + n})),
                    Legs(Els(El("XIC", {"Run" + m})), Els(El("XIC", {"Delay" + n + ".DN"}))),
                    Els(El("OTE", {"Run" + n}), El("TON", {"Delay" + n})));
            break;
        case 1:
            AddRung(doc.rungs, Els(El("XIC", {"Run" + n})), {},
                    Els(El("CTU", {"Parts" + n}), El("ADD", {"Pos" + n, "Gap" + n, "Pos" + n}),
                        El("MOV", {"Pos" + n, "Trace" + n + "[k]"})));
            break;
        default:
            AddRung(doc.rungs, Els(El("GRT", {"Pos" + n, "Pos" + m})), {},
                    Els(El("SUB", {"Pos" + n, "Pos" + m, "Gap" + n}), El("OTU", {"Jam" + m})));
            break;
        }
    }
    doc.rungs.push_back(NewRung());
}

constexpr double kTargetMs = 10;

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

uint32_t Word(const std::vector<char>& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return v;
}

struct BuildProject {
    ScriptedHost host;
    CMainFrame frame{host};
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pontra-bench-build-" + std::to_string(::getpid()));
    explicit BuildProject(int quarters) {
        auto project = NewProject("Vessa");
        Fill(*project, quarters);
        std::filesystem::create_directories(folder);
        project->doc.pathName = (folder / "Line.clp").string();
        frame.SetProject(std::move(project));
    }
    ~BuildProject() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

size_t TreeSize(const TagList& tags) {
    size_t size = tags.size();
    for (const auto& tag : tags) size += TreeSize(tag->members);
    return size;
}

void BM_FullBuild(benchmark::State& state) {
    const int quarters = static_cast<int>(state.range(0));
    BuildProject project(quarters);
    std::string image;
    double cpu = 0;
    for (auto _ : state) {
        const double c0 = CpuMs();
        const bool built = BuildProgramImage(project.frame, image, false);
        cpu += CpuMs() - c0;
        if (!built) {
            std::string why;
            for (const auto& line : project.frame.output.Lines())
                if (line.text.starts_with("Error")) why += line.text + "; ";
            for (const auto& message : project.host.Messages()) why += message + "; ";
            return state.SkipWithError(("the project did not build: " + why).c_str());
        }
    }
    std::ifstream in(image, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < static_cast<size_t>(image::kHeaderSize)) return state.SkipWithError("no image");
    size_t lines = 0;
    for (const auto& unit : project.frame.units()) lines += unit->text.size();
    state.counters["code_bytes"] = Word(bytes, image::kHeaderCodeSize);
    state.counters["tag_bytes"] = Word(bytes, image::kHeaderTagsSize);
    state.counters["st_lines"] = static_cast<double>(lines);
    state.counters["output_lines"] = static_cast<double>(project.frame.output.Lines().size());
    // Tags and members, every bit of every integer included: what the build walks.
    const CVessaDoc& doc = project.frame.doc();
    size_t tags = TreeSize(doc.tags) + TreeSize(doc.controllerTags);
    for (const auto& unit : project.frame.units()) tags += TreeSize(unit->tags);
    state.counters["tags"] = static_cast<double>(tags);
    state.counters["main_tags"] = static_cast<double>(doc.tags.size() + doc.controllerTags.size());
    const double perBuild = cpu / static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = perBuild;
    state.counters["target_ms"] = kTargetMs;
    state.counters["of_target"] = perBuild / kTargetMs;
}
BENCHMARK(BM_FullBuild)->DenseRange(1, 4)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Where the time of a full-size build goes: the verification as a whole, and within it
// the compile of the Structured Text blocks and the instance self-check; then the layout
// and the code generation (the file write is the rest of a build). CPU milliseconds per
// build.
void BM_FullBuildParts(benchmark::State& state) {
    BuildProject project(4);
    double verify = 0, compile = 0, selfCheck = 0, layout = 0, code = 0;
    // CPU time: the parts are too short for wall time on a shared machine.
    auto timed = [&](double& total, auto&& work) {
        const double start = CpuMs();
        const bool ok = work();
        total += CpuMs() - start;
        return ok;
    };
    for (auto _ : state) {
        CMainFrame& frame = project.frame;
        bool ok = timed(verify, [&] { return VerifyProject(frame); });
        ok = ok && timed(compile, [&] {
            for (const auto& unit : frame.units())
                if (unit->IsStructuredText() && !CompileStructuredTextUnit(frame, *unit)) return false;
            return true;
        });
        ok = ok && timed(selfCheck, [&] { return CheckTagsPlaces(frame.project(), frame.verificationLog); });
        ProjectLayout placed;
        ok = ok && timed(layout, [&] { return LayOutProject(frame.project(), placed); });
        CodeBuffer buffer;
        std::vector<CJFB> calls;
        ok = ok && timed(code, [&] { return GenerateProgramCode(frame, buffer, calls); });
        if (!ok) return state.SkipWithError("the project did not build");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["verify_ms"] = verify / n;
    state.counters["st_compile_ms"] = compile / n;
    state.counters["self_check_ms"] = selfCheck / n;
    state.counters["layout_ms"] = layout / n;
    state.counters["code_ms"] = code / n;
}
BENCHMARK(BM_FullBuildParts)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra
