// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged files: every truncation and many byte changes of a real file are read errors
// or sound projects, never a crash, a hang or a huge allocation.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "FileBytes.h"
#include "SampleProject.h"
#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"
#include "files/Records.h"

namespace pontra {
namespace {

// The sample project cut down to a few kilobytes (one controller tag, the connection
// slot, fewer and shorter tags and lines), so that the loops below stay quick; every
// kind of record is still there.
std::vector<uint8_t> SmallSampleFile(size_t* configBlockSize = nullptr) {
    auto project = test::SampleProject();
    TagList& controller = project->doc.controllerTags;
    controller.erase(controller.begin() + 1, controller.begin() + static_cast<std::ptrdiff_t>(FirstConnectionSlot("Kormo")));
    controller.resize(2);
    TagList& tags = project->doc.tags;
    tags.erase(std::remove_if(tags.begin(), tags.end(), [](const auto& t) { return t->name == "Total"; }), tags.end());
    project->units[1]->text.back() = "y := 2;";
    const std::function<void(TagList&)> trim = [&](TagList& list) {
        for (auto& t : list) {
            if (t->members.size() > 2) t->members.resize(2);
            trim(t->members);
        }
    };
    trim(controller);
    trim(tags);
    for (auto& unit : project->units) trim(unit->tags);
    for (auto& type : project->types) trim(type->members);
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(WriteProject(*project, bytes, error)) << error;
    if (configBlockSize) {
        project->configEnabled = 0;
        std::vector<uint8_t> without;
        EXPECT_TRUE(WriteProject(*project, without, error));
        *configBlockSize = bytes.size() - without.size();
    }
    return bytes;
}

TEST(DamagedFile, EveryTruncationIsAReadError) {
    size_t blockSize = 0;
    const auto file = SmallSampleFile(&blockSize);
    ASSERT_TRUE(ReadProject(file).project);
    const size_t unitsEnd = file.size() - blockSize;
    for (size_t cut = 0; cut < file.size(); ++cut) {
        auto result = ReadProject(std::span(file.data(), cut));
        if (cut == unitsEnd) {
            // A file may end after its units: the configuration block is optional.
            EXPECT_TRUE(result.project) << result.error;
            continue;
        }
        EXPECT_FALSE(result.project) << "cut at " << cut;
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(DamagedFile, ChangedBytesNeverCrash) {
    const auto file = SmallSampleFile();
    int failures = 0;
    for (size_t at = 0; at < file.size(); ++at) {
        for (uint8_t value : {uint8_t(file[at] ^ 0xFF), uint8_t(file[at] + 1), uint8_t(0)}) {
            auto damaged = file;
            damaged[at] = value;
            auto result = ReadProject(damaged);
            EXPECT_EQ(result.project == nullptr, !result.error.empty());
            failures += result.project ? 0 : 1;
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(DamagedFile, HugeCountsAndLengthsAreRefusedBeforeAllocating) {
    const auto file = SmallSampleFile();
    // Every 32-bit position made 0xFFFFFFFF or 0x7FFFFFFF: wherever a count or length
    // stands, the reader must refuse it instead of trying to allocate for it.
    for (size_t at = 0; at + 4 <= file.size(); ++at) {
        for (uint8_t high : {uint8_t(0xFF), uint8_t(0x7F)}) {
            auto damaged = file;
            damaged[at] = damaged[at + 1] = damaged[at + 2] = 0xFF;
            damaged[at + 3] = high;
            auto result = ReadProject(damaged);
            EXPECT_EQ(result.project == nullptr, !result.error.empty());
        }
    }
}

TEST(DamagedFile, DeepNestingIsRefused) {
    test::FileBytes f;
    f.U32(5).U32(0).U32(0).Text("Vessa").U32(1);
    const int depth = kMaxBranchDepth + 5;
    // Rung -> branch -> leg -> branch -> ..., each level one element with one leg.
    for (int i = 0; i < depth; ++i) f.U32(0).Text("").U32(1).U32(5).U32(0).U32(1);
    f.U32(1).Text("").U32(0);
    auto result = ReadProject(f.bytes);
    EXPECT_FALSE(result.project);
    EXPECT_NE(result.error.find("nested deeper than 64"), std::string::npos) << result.error;

    test::FileBytes tags;
    tags.U32(5).U32(0).U32(0).Text("Vessa").U32(0).U32(1);
    for (int i = 0; i < kMaxTagDepth + 5; ++i) {
        tags.Text("T").Text("X").Text("0").Text("").Text("").Text("").Text("");
        tags.U32(0).U8(5).U16(0).U32(0).U32(1);  // connection, usage, one member
    }
    result = ReadProject(tags.bytes);
    EXPECT_FALSE(result.project);
    EXPECT_NE(result.error.find("tag members nested deeper than 64"), std::string::npos) << result.error;
}

}  // namespace
}  // namespace pontra
