// SPDX-License-Identifier: GPL-3.0-or-later
// The trend's samples: the rolling window, gaps, pause, the step read-out and the CSV
// export; which operands can go on the trend at all.
#include <gtest/gtest.h>

#include <sstream>

#include "build/BuildFixtures.h"
#include "model/Project.h"
#include "model/Unit.h"
#include "online/TrendBuffer.h"

namespace pontra::test {
namespace {

using Values = std::vector<std::optional<double>>;

TEST(TrendBuffer, TagsAreUniqueAndBounded) {
    TrendBuffer trend;
    EXPECT_TRUE(trend.AddTag("Lamp"));
    EXPECT_FALSE(trend.AddTag("Lamp"));
    EXPECT_FALSE(trend.AddTag(""));
    for (size_t i = 1; i < TrendBuffer::kMaxTags; ++i) EXPECT_TRUE(trend.AddTag("T" + std::to_string(i)));
    EXPECT_FALSE(trend.AddTag("OneTooMany"));
    EXPECT_TRUE(trend.RemoveTag("T3"));
    EXPECT_FALSE(trend.RemoveTag("T3"));
    EXPECT_TRUE(trend.AddTag("OneTooMany"));
    EXPECT_EQ(trend.Tags().back(), "OneTooMany");
}

TEST(TrendBuffer, KeepsTheRollingWindowAndLeavesGaps) {
    TrendBuffer trend;
    trend.SetWindowSeconds(10);
    trend.AddTag("A");
    trend.AddTag("B");
    for (int t = 0; t <= 30; ++t) trend.Append(t, Values{t, t % 5 == 0 ? std::nullopt : std::optional<double>(1)});
    ASSERT_EQ(trend.Series(0).size(), 11u) << "20 s to 30 s";
    EXPECT_EQ(trend.Series(0).front(), (TrendSample{20, 20}));
    EXPECT_EQ(trend.Series(1).size(), 8u) << "no samples at 20, 25 and 30";
    EXPECT_EQ(trend.FirstTime(), 20);
    EXPECT_EQ(trend.LastTime(), 30);

    trend.Append(29, Values{99, 99});
    EXPECT_EQ(trend.Series(0).back().value, 30) << "time running backwards is ignored";
    trend.Append(31, Values{31});
    EXPECT_EQ(trend.Series(0).back().value, 31) << "a short list leaves the rest out";
    EXPECT_EQ(trend.Series(1).back().time, 29);
}

TEST(TrendBuffer, PauseKeepsWhatIsHeld) {
    TrendBuffer trend;
    trend.SetWindowSeconds(5);
    trend.AddTag("A");
    for (int t = 0; t < 5; ++t) trend.Append(t, Values{t});
    trend.SetPaused(true);
    for (int t = 5; t < 100; ++t) trend.Append(t, Values{t});
    EXPECT_EQ(trend.Series(0).size(), 5u);
    EXPECT_EQ(trend.Series(0).front().time, 0);
    trend.SetPaused(false);
    trend.Append(100, Values{100});
    EXPECT_EQ(trend.Series(0).size(), 1u) << "the old samples leave the window at the next sample";
}

TEST(TrendBuffer, MemoryIsBoundedWhenReadsComeFast) {
    TrendBuffer trend;
    trend.AddTag("A");
    for (int i = 0; i < 50000; ++i) trend.Append(i * 0.001, Values{1});
    EXPECT_LE(trend.Series(0).size(), TrendBuffer::kMaxSamplesPerTag);
}

TEST(TrendBuffer, ValueAtIsTheStepBefore) {
    TrendBuffer trend;
    trend.AddTag("A");
    trend.Append(1, Values{5});
    trend.Append(2, Values{7});
    const struct {
        double time;
        std::optional<double> value;
    } cases[] = {{0.5, std::nullopt}, {1, 5}, {1.99, 5}, {2, 7}, {50, 7}};
    for (const auto& c : cases) EXPECT_EQ(trend.ValueAt(0, c.time), c.value) << c.time;
    EXPECT_EQ(trend.ValueAt(3, 1), std::nullopt);
}

TEST(TrendBuffer, CsvHasAHeaderAndOneRowPerSampleTime) {
    TrendBuffer trend;
    trend.AddTag("Lamp");
    trend.AddTag("Speed, left");
    trend.AddTag("Say \"hi\"");
    trend.Append(0.5, Values{1, -300, std::nullopt});
    trend.Append(1.5, Values{0, std::nullopt, 2.5});
    trend.AddTag("Late");
    trend.Append(2.25, Values{1, 70000, 3, 4});
    std::ostringstream out;
    trend.WriteCsv(out);
    EXPECT_EQ(out.str(),
              "Time (s),Lamp,\"Speed, left\",\"Say \"\"hi\"\"\",Late\r\n"
              "0.500,1,-300,,\r\n"
              "1.500,0,,2.5,\r\n"
              "2.250,1,70000,3,4\r\n");
    TrendBuffer empty;
    std::ostringstream none;
    empty.WriteCsv(none);
    EXPECT_EQ(none.str(), "Time (s)\r\n");
}

// What a ladder operand or a dragged name puts on the trend: one elementary value the
// main program can read, under the name the main program knows it by.
TEST(TrendName, OnlyElementaryValuesOfTheMainProgramOrTheController) {
    auto project = NewProject("Vessa");
    CProject& p = *project;
    AddTag(p, p.doc.tags, "Lamp", "BOOL");
    AddTag(p, p.doc.tags, "T1", "TIMER");
    AddTag(p, p.doc.tags, "Levels", "INT[4]");
    AddTag(p, p.doc.tags, "Done", "BOOL").alias = "T1.DN";
    AddTag(p, p.doc.tags, "Timer", "TIMER").alias = "T1";
    AddTag(p, p.doc.tags, "Loop", "BOOL").alias = "Loop";
    ASSERT_FALSE(p.doc.controllerTags.empty());
    const CTag& io = *p.doc.controllerTags.front();
    ASSERT_FALSE(io.members.empty()) << io.name;
    const std::string ioMember = io.members.front()->name;
    CUnit& block = AddFunctionBlock(p, "Zone");
    AddTag(p, block.tags, "Local", "DINT");
    AddTag(p, block.tags, "Lamp", "BOOL");  // the block's own, not the main program's

    const struct {
        CUnit* unit;
        std::string operand;
        std::optional<std::string> name;
    } cases[] = {
        {nullptr, "Lamp", "Lamp"},
        {nullptr, "  Lamp ", "Lamp"},
        {nullptr, "T1.ACC", "T1.ACC"},
        {nullptr, "T1.DN", "T1.DN"},
        {nullptr, "T1", std::nullopt},          // a structure has no single value
        {nullptr, "Levels[2]", "Levels[2]"},
        {nullptr, "Done", "Done"},              // an alias, read through to T1.DN
        {nullptr, "Timer", std::nullopt},       // an alias of a structure
        {nullptr, "Loop", std::nullopt},        // an alias chain with no end
        {nullptr, "Levels", std::nullopt},      // the whole array
        {nullptr, "Levels[Lamp]", std::nullopt}, // changes with every scan
        {nullptr, "25", std::nullopt},
        {nullptr, "?", std::nullopt},
        {nullptr, "", std::nullopt},
        {nullptr, "NoSuchTag", std::nullopt},
        {nullptr, ioMember, ioMember},
        {&block, ioMember, std::nullopt},
        {&block, "Local", std::nullopt},
        {&block, "Lamp", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrendName(p, c.unit, c.operand), c.name) << (c.unit ? "in Zone: " : "") << c.operand;
    EXPECT_TRUE(TrendIsDigital(p, "Done"));
    EXPECT_TRUE(TrendIsDigital(p, "Lamp"));
    EXPECT_FALSE(TrendIsDigital(p, "T1.ACC"));
}

} // namespace
} // namespace pontra::test
