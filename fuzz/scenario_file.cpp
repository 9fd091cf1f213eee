// SPDX-License-Identifier: GPL-3.0-or-later
// Scenario files: any text. An error names a place inside the text; a file that parses
// has steps within the limits, and checked against a new project every tag it names
// lies inside that project's tag memory, where its value reads back as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "build/ProjectLayout.h"
#include "model/Project.h"
#include "scenario/ScenarioBinder.h"
#include "scenario/ScenarioParser.h"

using namespace pontra;
using namespace pontra::scenario;

namespace {

// Line lengths of the text as the parser counts lines ("\n" ends one, a "\r" before it
// belongs to no column).
std::vector<size_t> LineLengths(std::string_view text) {
    std::vector<size_t> lengths;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        size_t length = end - start;
        if (length > 0 && text[end - 1] == '\r') --length;
        lengths.push_back(length);
        start = end + 1;
    }
    return lengths;
}

void CheckPosition(const std::vector<size_t>& lines, SourcePosition at, const std::string& what) {
    FUZZ_CHECK(at.line >= 1 && static_cast<size_t>(at.line) <= lines.size(), what + " on a line of the text");
    FUZZ_CHECK(at.column >= 1 && static_cast<size_t>(at.column) <= lines[static_cast<size_t>(at.line) - 1] + 1,
               what + " in a column of its line");
}

void CheckStep(const std::vector<size_t>& lines, const Step& step) {
    CheckPosition(lines, step.at, "a step");
    FUZZ_CHECK(step.milliseconds <= kMaxStepMilliseconds, "a step's time within a day");
    FUZZ_CHECK(step.scans <= kMaxStepScans, "a step's scans within the limit");
    if (step.kind == StepKind::RunTime || step.kind == StepKind::WaitUntil || step.kind == StepKind::Pulse)
        FUZZ_CHECK(step.milliseconds > 0, "a time of more than 0 ms");
    if (step.kind == StepKind::RunScans) FUZZ_CHECK(step.scans > 0, "at least one scan");
}

void CheckBound(const BoundStep& step, const ProjectLayout& layout) {
    if (step.step.kind == StepKind::RunTime || step.step.kind == StepKind::RunScans) return;
    std::vector<uint8_t> memory = layout.memory;
    memory.resize(static_cast<size_t>(layout.totalSize));
    const ScenarioTag& tag = step.tag;
    FUZZ_CHECK(tag.bits == 1 || tag.bits == 8 || tag.bits == 16 || tag.bits == 32, "a value tag: " + tag.name);
    FUZZ_CHECK(WriteTagValue(memory, tag, step.value), "a bound tag lies in tag memory: " + tag.name);
    const auto back = ReadTagValue(memory, tag);
    FUZZ_CHECK(back && *back == NormalizeTagValue(tag, step.value), "a value reads back as written: " + tag.name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A new project and its layout take a few megabytes; the parse a few hundred bytes a line.
    fuzz::HeapBudget budget(size, 512, 64 << 20);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<size_t> lines = LineLengths(text);
    ScenarioError error;
    const auto file = ScenarioParser::Parse(text, "fuzz.test", error);
    if (!file) {
        FUZZ_CHECK(!error.message.empty(), "an error says what is wrong");
        CheckPosition(lines, error.at, "an error");
        return 0;
    }
    FUZZ_CHECK(!file->tests.empty(), "a file that parses has a test");
    for (const auto& step : file->setup) CheckStep(lines, step);
    for (const auto& test : file->tests) {
        FUZZ_CHECK(!test.name.empty(), "a test has a name");
        CheckPosition(lines, test.at, "a test");
        for (const auto& step : test.steps) CheckStep(lines, step);
    }

    auto project = NewProject("Vessa");
    ProjectLayout layout;
    FUZZ_CHECK(LayOutProject(*project, layout), "a new project lays out");
    const auto bound = ScenarioBinder::Bind(*file, *project, error);
    if (!bound) {
        CheckPosition(lines, error.at, "a check error");
        return 0;
    }
    for (const auto& step : bound->setup) CheckBound(step, layout);
    for (const auto& test : bound->tests)
        for (const auto& step : test.steps) CheckBound(step, layout);
    return 0;
}
