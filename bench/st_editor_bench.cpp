// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor on a 5,000-line function block: every typed character
// colours the whole text and looks tokens up with the whole lexer, so each of these must
// stay well under a frame (16 ms).
#include <benchmark/benchmark.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "ConveyorBlock.h"
#include "shell/StEditor.h"

namespace pontra {
namespace {

using bench::kLines;

// The block with the core's editor open on it.
struct ConveyorUnit : bench::ConveyorBlock {
    std::unique_ptr<StEditor> editor = std::make_unique<StEditor>(frame, *unit);
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
