// SPDX-License-Identifier: GPL-3.0-or-later
// What a hostile file can make the readers build: every count that grows the model by
// more than its own bytes stops at a limit with a clear error, while the largest
// projects a module can hold still read and import whole.
#include <gtest/gtest.h>

#include <functional>

#include "FileBytes.h"
#include "files/ComponentImport.h"
#include "files/ComponentImporter.h"
#include "files/ProjectReader.h"
#include "files/Records.h"
#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

long Nodes(const TagList& tags) {
    long n = 0;
    for (const auto& t : tags) n += 1 + Nodes(t->members);
    return n;
}

long ProjectNodes(const CProject& p) {
    long n = Nodes(p.doc.tags);
    for (const auto& unit : p.units) n += Nodes(unit->tags);
    return n;
}

std::string Declarations(int count, const std::string& type, int first = 0) {
    std::string text;
    for (int i = first; i < first + count; ++i) text += "  T" + std::to_string(i) + " : " + type + ";\r\n";
    return text;
}

struct ImportRun {
    ScriptedHost host;
    CMainFrame frame{host};
    ImportOutcome outcome;
    long added = 0;  // tag nodes the import added to the project

    explicit ImportRun(const std::string& text) {
        host.defaultAnswer = true;
        frame.SetProject(NewProject());
        const long before = ProjectNodes(frame.project());
        outcome = ImportComponents(frame, text, "big.txt");
        added = ProjectNodes(frame.project()) - before;
    }
    bool HasLine(const std::string& text) const {
        for (const auto& line : frame.output.Lines())
            if (line.text.find(text) != std::string::npos) return true;
        return false;
    }
};

constexpr const char* kNodeLimitError = "More than 200000 tags and tag members, import stopped";

struct ImportCase {
    const char* name;
    std::string text;
    bool imports;  // without errors
};

class ImportTagNodes : public ::testing::TestWithParam<ImportCase> {};

// 99,000 DINT declarations (a file of 1.5 MB) built 3.3 million tags and members before
// the limit counted bits; arrays and instances build many from one line.
TEST_P(ImportTagNodes, StayWithinTheLimitAndFullTagMemoriesStillImport) {
    const ImportCase& c = GetParam();
    ImportRun run(c.text);
    EXPECT_LE(run.added, ComponentImporter::kMaxTagNodes);
    EXPECT_EQ(run.outcome.ok, c.imports);
    EXPECT_EQ(run.HasLine(kNodeLimitError), !c.imports);
    if (c.imports) {
        EXPECT_GT(run.added, 60000) << "the whole file is in the project";
    }
}

const std::string kBlock2000 = "FUNCTION_BLOCK Big\r\nVAR\r\n" + Declarations(2000, "DINT") + "END_VAR\r\nEND_FUNCTION_BLOCK\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportTagNodes,
    ::testing::Values(
        ImportCase{"DintsFillingTheTagMemory", "PROGRAM Main\r\nVAR\r\n" + Declarations(2500, "DINT") + "END_VAR\r\nEND_PROGRAM\r\n", true},
        ImportCase{"SintArrayFillingTheTagMemory", "PROGRAM Main\r\nVAR\r\n  A : ARRAY[9900] OF SINT;\r\nEND_VAR\r\nEND_PROGRAM\r\n", true},
        ImportCase{"BlockAndItsInstance", kBlock2000 + "PROGRAM Main\r\nVAR\r\n  B : Big;\r\nEND_VAR\r\nEND_PROGRAM\r\n", true},
        ImportCase{"NinetyNineThousandDints", "PROGRAM Main\r\nVAR\r\n" + Declarations(99000, "DINT") + "END_VAR\r\nEND_PROGRAM\r\n", false},
        ImportCase{"ArraysOfDintsOnFewLines", "PROGRAM Main\r\nVAR\r\n" + Declarations(200, "ARRAY[2000] OF DINT") + "END_VAR\r\nEND_PROGRAM\r\n", false},
        ImportCase{"ManyInstancesOfABigBlock", kBlock2000 + "PROGRAM Main\r\nVAR\r\n" + Declarations(100, "Big", 5000) + "END_VAR\r\nEND_PROGRAM\r\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

// A project that used the block before gets its instances rebuilt by the import; past
// the limit an instance keeps the members it had instead of losing them.
TEST(ImportTagNodesLimit, InstancesAlreadyInTheProjectKeepTheirMembers) {
    ImportRun first("FUNCTION_BLOCK Big\r\nVAR\r\n" + Declarations(100, "DINT") +
                    "END_VAR\r\nEND_FUNCTION_BLOCK\r\nPROGRAM Main\r\nVAR\r\n" + Declarations(4, "Big", 5000) +
                    "END_VAR\r\nEND_PROGRAM\r\n");
    ASSERT_TRUE(first.outcome.ok);
    const TagList& tags = first.frame.project().doc.tags;
    ASSERT_EQ(tags.size(), 4u);
    ImportComponents(first.frame, kBlock2000, "bigger.txt");  // each instance now 66,001
    EXPECT_TRUE(first.HasLine(kNodeLimitError));
    EXPECT_EQ(tags[1]->members.size(), 2000u) << "rebuilt within the limit";
    EXPECT_EQ(tags[2]->members.size(), 100u) << "kept";
    EXPECT_EQ(tags[3]->members.size(), 100u) << "kept";
}

// File-wide record limits: one more than the limit is a read error naming it, the
// limit itself still reads. Versions 1 and 2 store integers without their bits (a SINT
// record of 7 bytes becomes 9 tags): at most a tag memory's worth of bytes is derived,
// counted over the whole file, nested members included.
struct RecordCase {
    const char* name;
    uint32_t version;
    uint32_t count;  // records at the limit
    const char* error;
    std::function<void(test::FileBytes&, uint32_t)> body;  // rungs and program tags
};

class FileRecordLimits : public ::testing::TestWithParam<RecordCase> {};

TEST_P(FileRecordLimits, OneMoreThanTheLimitIsAReadError) {
    const RecordCase& c = GetParam();
    for (const uint32_t count : {c.count, c.count + 1}) {
        test::FileBytes f;
        f.U32(c.version);
        if (c.version > 1) f.U32(0).U32(0).Text("Vessa");
        c.body(f, count);
        if (c.version < 3) {
            f.U32(0);
        } else {
            f.U32(0).U32(0x00010002).U32(1).U32(1).U32(1);
            if (c.version > 4) f.U32(0);
        }
        const auto result = ReadProject(f.bytes);
        if (count == c.count) {
            EXPECT_TRUE(result.project) << result.error;
        } else {
            EXPECT_FALSE(result.project);
            EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
        }
    }
}

test::FileBytes::Tag Sint() { return {.name = "", .type = "", .init = ""}; }

INSTANTIATE_TEST_SUITE_P(
    Cases, FileRecordLimits,
    ::testing::Values(
        RecordCase{"DerivedSints", 2, kMaxDerivedIntegerBytes, "integer tags of more than 10000 bytes",
                   [](test::FileBytes& f, uint32_t n) {
                       f.U32(0).U32(n);
                       for (uint32_t i = 0; i < n; ++i) f.TagRecord(Sint(), 2);
                   }},
        RecordCase{"DerivedDintsAsMembers", 1, kMaxDerivedIntegerBytes / 4, "integer tags of more than 10000 bytes",
                   [](test::FileBytes& f, uint32_t n) {
                       test::FileBytes::Tag holder{.name = "S", .type = "Holder", .init = ""};
                       holder.members.assign(n - 1, {.name = "", .type = "DINT", .init = ""});
                       f.U32(0).U32(2).TagRecord(holder, 1).TagRecord({.name = "", .type = "DINT", .init = ""}, 1);
                   }},
        RecordCase{"Elements", 5, kMaxElementRecords, "more than 100000 elements",
                   [](test::FileBytes& f, uint32_t n) {
                       // Two rungs, the elements split between them: the count is over the file.
                       test::FileBytes first, second;
                       for (uint32_t i = 0; i < n / 2; ++i) first.Element(1, {""});
                       for (uint32_t i = n / 2; i < n; ++i) second.Element(1, {""});
                       f.U32(2).Rung(0, "", n / 2, first).Rung(0, "", n - n / 2, second).U32(0);
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pontra
