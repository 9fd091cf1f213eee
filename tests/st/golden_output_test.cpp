// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler's output for reference units must stay the same bit for bit when its
// speed is worked on: every element of every rung, the compiler's own tags, the build's
// output lines and the program image are compared with what was recorded in
// tests/data/st/*.golden. One unit is written by hand to reach every construct, the
// other comes from bench/gen_st.py (300 statements, --subset --seed 1201).
// PONTRA_UPDATE_GOLDEN=1 records them afresh (only after checking that a change of
// output is intended).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"
#include "build/ProgramImage.h"
#include "files/ComponentImport.h"
#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

void AppendElements(const CRung& rung, int depth, std::vector<std::string>& out) {
    for (const auto& e : rung.elements) {
        std::string line(static_cast<size_t>(2 * depth), ' ');
        line += std::to_string(e->kind) + " " + e->mnemonic + " " + std::to_string(e->operandCount);
        for (const std::string& operand : e->operands) line += " |" + operand;
        const CRect& r = e->rect;
        line += " @" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                std::to_string(r.bottom) + " " + std::to_string(e->sizeX) + "x" + std::to_string(e->sizeY);
        out.push_back(line);
        for (const auto& leg : e->legs) AppendElements(*leg, depth + 1, out);
    }
}

void AppendTags(const char* title, const TagList& tags, std::vector<std::string>& out) {
    for (const auto& t : tags)
        out.push_back(std::string(title) + " " + t->name + " " + t->dataType + " " + t->initialValue + " " + t->style +
                      " @" + std::to_string(t->address) + "." + std::to_string(t->bit));
}

// Imports the file into a fresh project, builds the image and describes everything the
// compile and the build produced, one line per item.
std::vector<std::string> Describe(const std::string& fileName) {
    ScriptedHost host;
    CMainFrame frame(host);
    frame.SetProject(NewProject("Vessa"));
    TempDir folder;
    frame.doc().pathName = folder.File("Golden.clp");
    frame.doc().timeStamp = 0x12345678;
    const std::string path = std::string(PONTRA_SOURCE_DIR) + "/tests/data/st/" + fileName;
    const ImportOutcome imported = ImportComponents(frame, ReadText(path), fileName);
    std::vector<std::string> out;
    if (!imported.ok) {
        out.push_back("import failed");
        return out;
    }
    std::string image;
    const bool built = BuildProgramImage(frame, image, false);
    for (const auto& line : frame.output.Lines())
        if (line.text.find(folder.Path()) == std::string::npos) out.push_back("output " + line.text);
    for (const auto& unit : frame.units()) {
        out.push_back("unit " + unit->name + " rungs " + std::to_string(unit->rungs.size()));
        for (const auto& rung : unit->rungs) AppendElements(*rung, 0, out);
        AppendTags("tag", unit->tags, out);
        AppendTags("stVariable", unit->stVariables, out);
        AppendTags("tag2", unit->tags2, out);
    }
    if (!built) {
        out.push_back("build failed");
        return out;
    }
    const std::vector<uint8_t> bytes = ReadBytes(image);
    char hash[32];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(bytes)));
    out.push_back("image " + std::to_string(bytes.size()) + " bytes fnv1a64 " + hash);
    return out;
}

class GoldenOutput : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenOutput, MatchesTheRecordedCompileAndImage) {
    const std::string name = GetParam();
    const std::vector<std::string> actual = Describe(name + ".st");
    ASSERT_GT(actual.size(), 50u) << ::testing::PrintToString(actual);
    const std::string goldenPath = std::string(PONTRA_SOURCE_DIR) + "/tests/data/st/" + name + ".golden";
    if (std::getenv("PONTRA_UPDATE_GOLDEN")) {
        std::ofstream out(goldenPath, std::ios::binary | std::ios::trunc);
        for (const auto& line : actual) out << line << '\n';
        GTEST_SKIP() << "recorded " << goldenPath;
    }
    const std::vector<std::string> expected = SplitLines(ReadText(goldenPath));
    ASSERT_FALSE(expected.empty()) << "no recorded output in " << goldenPath;
    // The first difference says more than two listings of thousands of lines.
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "line " << i + 1 << " of " << goldenPath;
    EXPECT_EQ(actual.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(Units, GoldenOutput, ::testing::Values("features", "generated_300"));

}  // namespace
}  // namespace pontra
