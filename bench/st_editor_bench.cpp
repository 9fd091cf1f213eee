// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor on a 5,000-line function block: every typed character
// colours the whole text and looks tokens up with the whole lexer, so each of these must
// stay well under a frame (16 ms).
#include <benchmark/benchmark.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "host/ScriptedHost.h"
#include "model/Types.h"
#include "shell/MainFrame.h"
#include "shell/StEditor.h"

namespace pontra {
namespace {

constexpr int kLines = 5000;
constexpr int kZones = 20;

// A project with a ladder block "RampBlock" and a Structured Text block "Conveyor" of
// kLines lines: zone after zone of IF, CASE and FOR statements with comments of every
// form, members, arrays, calls and literals.
struct ConveyorUnit {
    ScriptedHost host;
    CMainFrame frame{host};
    CUnit* unit = nullptr;
    std::unique_ptr<StEditor> editor;

    ConveyorUnit() {
        auto block = std::make_unique<CUnit>("RampBlock", kUnitFunctionBlock);
        AddTag(*block, "In1", "BOOL", kUsageInput);
        AddTag(*block, "Io", "DINT", kUsageInOut);
        AddTag(*block, "Out1", "BOOL", kUsageOutput);
        frame.units().push_back(std::move(block));
        frame.types().push_back(std::make_unique<CType>("RampBlock"));
        auto conveyor = std::make_unique<CUnit>("Conveyor", kUnitFunctionBlock, kLanguageST);
        unit = conveyor.get();
        frame.units().push_back(std::move(conveyor));
        for (int z = 0; z < kZones; ++z) {
            const std::string n = std::to_string(z);
            AddTag(*unit, "Zone" + n + "_Sensor", "BOOL");
            AddTag(*unit, "Zone" + n + "_Blocked", "BOOL");
            AddTag(*unit, "Zone" + n + "_Count", "DINT");
            AddTag(*unit, "Tmr" + n, "TIMER");
            AddTag(*unit, "State" + n, "DINT");
        }
        for (auto [name, type] : {std::pair{"Speed", "DINT"},
                                  {"Total", "DINT"},
                                  {"Delta", "DINT"},
                                  {"i", "DINT"},
                                  {"Lanes", "DINT[8]"},
                                  {"Motor", "BOOL[32]"},
                                  {"Ramp", "RampBlock"}})
            AddTag(*unit, name, type, kUsageStatic);
        for (int z = 0; static_cast<int>(unit->text.size()) < kLines; ++z) AddZone(z % kZones, z);
        unit->text.resize(kLines);
        editor = std::make_unique<StEditor>(frame, *unit);
    }

    void AddTag(CUnit& owner, const std::string& name, const std::string& type, int usage = kUsageStatic) {
        auto tag = std::make_unique<CTag>(name, type);
        tag->usage = usage;
        tag->description = "zone data";
        BuildMembers(frame.project(), *tag);
        owner.tags.push_back(std::move(tag));
    }

    void AddZone(int z, int block) {
        const std::string n = std::to_string(z), m = std::to_string(block % 32);
        for (const std::string& line : std::initializer_list<std::string>{
                 "(* zone " + n + ": accumulate and release *)",
                 "IF Zone" + n + "_Sensor AND NOT Zone" + n + "_Blocked THEN",
                 "\tZone" + n + "_Count := Zone" + n + "_Count + 1;",
                 "\tMotor[" + m + "] := TRUE;",
                 "ELSIF Tmr" + n + ".DN THEN",
                 "\tMotor[" + m + "] := FALSE; // stop the roller",
                 "ELSE",
                 "\tSpeed := MAX(Speed - 10, 0);",
                 "END_IF;",
                 "CASE State" + n + " OF",
                 "\t0: Tmr" + n + ".PRE := T#1s500ms;",
                 "\t1: Ramp(In1 := Zone" + n + "_Sensor, Io := Speed, Out1 => Zone" + n + "_Blocked);",
                 "ELSE",
                 "\tState" + n + " := 0;",
                 "END_CASE;",
                 "FOR i := 0 TO 7 BY 1 DO",
                 "\tLanes[i] := Lanes[i] + ABS(Delta);",
                 "END_FOR;",
                 "/* checksum",
                 "   of the block */",
                 "Total := Total + 16#FF + Zone" + n + "_Count * 2;",
             })
            unit->text.push_back(line);
    }
};

ConveyorUnit& Unit() {
    static ConveyorUnit unit;
    return unit;
}

// The whole colouring pass, as after every typed character.
void BM_Recolour(benchmark::State& state) {
    StEditor& editor = *Unit().editor;
    for (auto _ : state) {
        editor.Recolour();
        benchmark::DoNotOptimize(editor.Colours().data());
    }
    state.counters["ranges"] = static_cast<double>(editor.Colours().size());
}
BENCHMARK(BM_Recolour)->Unit(benchmark::kMillisecond);

// One token lookup on a changed text: the whole lexer, then the lookup in the middle.
// Like the editor, the loop holds the previous token list until the new one is built.
void BM_TokenAt(benchmark::State& state) {
    const StTextBuffer& text = Unit().editor->Text();
    const size_t p = text.LineStart(kLines / 2 + 2) + 6;
    TokenList held = LexText(text);
    for (auto _ : state) {
        TokenList tokens = LexText(text);
        benchmark::DoNotOptimize(TokenAt(tokens, text, static_cast<long long>(p)));
        held = std::move(tokens);
    }
}
BENCHMARK(BM_TokenAt)->Unit(benchmark::kMillisecond);

// A letter typed in the middle of the text that opens the completion popup: the whole
// handler (insertion, token lookups, the rows, colouring). The undo between rounds is
// not timed.
void BM_TypedCharacterWithCompletion(benchmark::State& state) {
    StEditor& editor = *Unit().editor;
    const size_t line = kLines / 2;
    const size_t at = editor.Text().LineStart(line);
    size_t rows = 0;
    for (auto _ : state) {
        editor.SetSelection(at, at);
        editor.TypeCharacter('Z');
        rows = editor.CompletionList().size();
        state.PauseTiming();
        editor.HideCompletion();
        editor.Undo();
        state.ResumeTiming();
    }
    if (rows == 0) state.SkipWithError("no completion rows");
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_TypedCharacterWithCompletion)->Unit(benchmark::kMillisecond);

// "." behind an instance: the member rows of the tag before it.
void BM_TypedDotWithMembers(benchmark::State& state) {
    StEditor& editor = *Unit().editor;
    const size_t line = kLines / 2 + 3;  // "ELSIF Tmr19.DN THEN": the "." goes behind "Tmr19"
    const size_t at = editor.Text().LineStart(line) + editor.Text().Lines()[line].find('.');
    size_t rows = 0;
    for (auto _ : state) {
        editor.SetSelection(at, at);
        editor.TypeCharacter('.');
        rows = editor.CompletionList().size();
        state.PauseTiming();
        editor.HideCompletion();
        editor.Undo();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_TypedDotWithMembers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra
