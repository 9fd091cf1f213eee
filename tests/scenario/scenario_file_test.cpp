// SPDX-License-Identifier: GPL-3.0-or-later
// Scenario files: what the parser reads, and every error it and the check against the
// project report with line and column before anything runs.
#include <gtest/gtest.h>

#include "ScenarioFixture.h"
#include "scenario/ScenarioParser.h"

namespace pontra::scenario::test {
namespace {

TEST(ScenarioParser, ReadsEveryStatementKeywordsInAnyCase) {
    const std::string text =
        "# comment\r\n"
        "SETUP   // the shared steps\r\n"
        "  SET FromDownstreamState.0 = 0\r\n"
        "end\r\n"
        "\n"
        "Test \"one\"\n"
        "  set Speed = 16#FF\n"
        "  RUN 250 ms\n"
        "  RUN 1.5 S\n"
        "  RUN 2min\n"
        "  RUN 3 SCANS\n"
        "  EXPECT JamTimer.ACC >= 100\n"
        "  EXPECT Speed = 400 +/- 40   # tolerance\n"
        "  EXPECT A<>2\n"
        "  WAIT UNTIL ZoneOccupied = 1 WITHIN 500 ms\n"
        "  PULSE Inputs.1 FOR 20 ms\n"
        "END\n"
        "TEST \"two\"\n"
        "END";
    ScenarioError error;
    const auto file = ScenarioParser::Parse(text, "a.test", error);
    ASSERT_TRUE(file) << error.Text();
    ASSERT_EQ(file->setup.size(), 1u);
    EXPECT_EQ(file->setup[0].condition.tag, "FromDownstreamState.0");
    ASSERT_EQ(file->tests.size(), 2u);
    EXPECT_EQ(file->tests[1].name, "two");
    const auto& s = file->tests[0].steps;
    ASSERT_EQ(s.size(), 10u);
    EXPECT_EQ(s[0].kind, StepKind::Set);
    EXPECT_EQ(s[0].condition.value, "16#FF");
    EXPECT_EQ(s[0].condition.valueAt.column, 15);
    EXPECT_EQ(s[1].milliseconds, 250u);
    EXPECT_EQ(s[2].milliseconds, 1500u);
    EXPECT_EQ(s[3].milliseconds, 120000u);
    EXPECT_EQ(s[4].kind, StepKind::RunScans);
    EXPECT_EQ(s[4].scans, 3u);
    EXPECT_EQ(s[5].condition.comparison, Comparison::GreaterOrEqual);
    EXPECT_EQ(s[6].condition.tolerance, "40");
    EXPECT_EQ(s[7].condition.comparison, Comparison::NotEqual);
    EXPECT_EQ(s[7].condition.value, "2");
    EXPECT_EQ(s[8].kind, StepKind::WaitUntil);
    EXPECT_EQ(s[8].milliseconds, 500u);
    EXPECT_EQ(s[9].kind, StepKind::Pulse);
    EXPECT_EQ(s[9].milliseconds, 20u);
    EXPECT_EQ(s[9].at.line, 16);
    EXPECT_EQ(s[9].at.column, 3);
}

// Malformed files: the first error with its place.
TEST(ScenarioParser, MalformedLinesAreReportedAtLineAndColumn) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"TEST \"a\"\nSET X 1\nEND", "t:2:7: error: = expected, not '1'"},
        {"TEST \"a\"\nRUN 250\nEND", "t:2:8: error: a time unit (ms, s or min) expected"},
        {"TEST \"a\"\nRUN 250 hours\nEND", "t:2:9: error: unknown time unit 'HOURS' (ms, s or min)"},
        {"TEST \"a\"\nRUN 0 ms\nEND", "t:2:5: error: the time must be more than 0 ms"},
        {"TEST \"a\"\nRUN 1.0005 s\nEND", "t:2:5: error: the time is not a whole number of milliseconds"},
        {"TEST \"a\"\nRUN 2 days\nEND", "t:2:7: error: unknown time unit 'DAYS' (ms, s or min)"},
        {"TEST \"a\"\nRUN 1441 min\nEND", "t:2:5: error: the time is longer than a day"},
        {"TEST \"a\"\nRUN 0 SCANS\nEND", "t:2:5: error: the number of scans must be more than 0"},
        {"TEST \"a\"\nRUN 99999999999 SCANS\nEND", "t:2:5: error: the number of scans is larger than 10000000"},
        {"TEST \"a\"\nEXPECT X == 1\nEND", "t:2:10: error: a comparison (=, <>, <, <=, >, >=) expected, not '=='"},
        {"TEST \"a\"\nEXPECT X >= 1 +/- 2\nEND", "t:2:15: error: a tolerance (+/-) goes only with ="},
        {"TEST \"a\"\nEXPECT X = 1 extra\nEND", "t:2:14: error: unexpected 'extra' after the statement"},
        {"TEST \"a\"\nWAIT X = 1 WITHIN 5 ms\nEND", "t:2:6: error: UNTIL expected"},
        {"TEST \"a\"\nWAIT UNTIL X = 1\nEND", "t:2:17: error: WITHIN expected"},
        {"TEST \"a\"\nPULSE X 20 ms\nEND", "t:2:9: error: FOR expected"},
        {"TEST \"a\"\nJUMP X\nEND",
         "t:2:1: error: unknown statement 'JUMP' (SET, RUN, EXPECT, WAIT UNTIL, PULSE, TEST, SETUP or END)"},
        {"SET X = 1", "t:1:1: error: a step must be inside a TEST or SETUP block"},
        {"TEST a\nEND", "t:1:6: error: the test's name must be in double quotes"},
        {"TEST \"a\nEND", "t:1:6: error: the quoted name has no closing \""},
        {"TEST \"a\"\nTEST \"b\"\nEND", "t:2:1: error: TEST inside a block: END expected before it"},
        {"TEST \"a\"\nEND\nTEST \"a\"\nEND", "t:3:6: error: a test named \"a\" comes earlier in this file"},
        {"TEST \"a\"\nRUN 1 ms", "t:1:1: error: TEST has no END"},
        {"END", "t:1:1: error: END without TEST or SETUP"},
        {"TEST \"a\"\nEND\nSETUP\nEND", "t:3:1: error: SETUP must come before the first TEST"},
        {"# only a comment\n", "t:1:1: error: the file has no TEST"},
        {"TEST \"a\"\n= 1\nEND", "t:2:1: error: a statement expected, not '='"},
    };
    for (const auto& c : cases) {
        ScenarioError error;
        EXPECT_FALSE(ScenarioParser::Parse(c.text, "t", error)) << c.text;
        EXPECT_EQ(error.Text(), c.error) << c.text;
    }
}

class ScenarioBinding : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        project_ = new std::string(MakeProject(*dir_, "zone", ReadText(ExamplePath("conveyor_zone.txt"))));
    }
    static void TearDownTestSuite() {
        delete project_;
        delete dir_;
    }
    static ScenarioRun Check(const std::string& steps) {
        return RunScenario(*project_, "TEST \"t\"\n" + steps + "\nEND\n", "zone.test");
    }
    static inline TempDir* dir_ = nullptr;
    static inline std::string* project_ = nullptr;
};

// Tags and values that do not fit the project: errors at the tag or the value, and no
// test runs.
TEST_F(ScenarioBinding, UnknownTagsAndValuesOutOfRangeStopTheRunBeforeItStarts) {
    const struct {
        const char* step;
        const char* error;
    } cases[] = {
        {"SET Nothing = 1", "zone.test:2:5: error: unknown tag 'Nothing' (not in the main program)"},
        {"EXPECT ZoneOccupied = 2",
         "zone.test:2:23: error: value '2' does not fit ZoneOccupied (BOOL): Value must be in range from 0 up to 1!"},
        {"SET JamTimer.PRE = 2147483648",
         "zone.test:2:20: error: value '2147483648' does not fit JamTimer.PRE (DINT): Value must be in range from "
         "-2147483648 up to 2147483647!"},
        {"SET JamTimer.PRE = 12abc",
         "zone.test:2:20: error: value '12abc' does not fit JamTimer.PRE (DINT): Value must be in range from "
         "-2147483648 up to 2147483647!"},
        {"EXPECT JamTimer = 1",
         "zone.test:2:8: error: 'JamTimer' is a TIMER, not a BOOL or integer value (name one of its members)"},
        {"PULSE JamTimer.PRE FOR 1 s", "zone.test:2:7: error: PULSE needs a BOOL; JamTimer.PRE is a DINT"},
        {"EXPECT JamTimer.ACC = 5 +/- -1", "zone.test:2:29: error: the tolerance '-1' must be a number of 0 or more"},
        {"SET ZoneOccupied = 10.0.0.1", "zone.test:2:20: error: value '10.0.0.1' is an IP address; ZoneOccupied is a BOOL"},
    };
    for (const auto& c : cases) {
        const ScenarioRun run = Check(c.step);
        ASSERT_EQ(run.errors.size(), 1u) << c.step;
        EXPECT_EQ(run.errors[0].Text(), c.error);
        EXPECT_TRUE(run.results.empty());
    }
}

// Every display style the value parser knows, an alias, a bit of an integer and TRUE/ON.
TEST_F(ScenarioBinding, ValuesInEveryDisplayStyle) {
    const ScenarioRun run = Check(
        "SET JamTimer.PRE = 2#1010\n"
        "EXPECT JamTimer.PRE = 10\n"
        "SET JamTimer.PRE = 8#17\n"
        "EXPECT JamTimer.PRE = 15\n"
        "SET JamTimer.PRE = 16#7FFFFFFF\n"
        "EXPECT JamTimer.PRE = 2147483647\n"
        "SET JamTimer.PRE = 0.0.0.1\n"
        "EXPECT JamTimer.PRE = 16#00010000\n"
        "SET JamTimer.PRE = -5\n"
        "EXPECT JamTimer.PRE < 0\n"
        "SET ZoneSensor = ON\n"
        "EXPECT Inputs.0 = TRUE\n"
        "EXPECT Inputs = 1");
    ASSERT_TRUE(run.errors.empty()) << run.errors[0].Text();
    ASSERT_EQ(run.results.size(), 1u);
    for (const auto& f : run.results[0].failures) ADD_FAILURE() << f.Text();
}

// A scenario file from any editor: Windows-1252 as the project, or UTF-8 with or
// without its mark, converted; a character the project cannot hold is an error on its
// line and nothing is loaded.
TEST(ScenarioSuite, ReadsWindows1252AndUtf8Files) {
    TempDir dir;
    const std::string body = "TEST \"a\"\n    SET F\xF6rderband = 1\nEND\n";  // Windows-1252 ö
    const std::string utf8 = "TEST \"a\"\n    SET F\xC3\xB6rderband = 1\nEND\n";
    const struct {
        const char* name;
        std::string bytes;
        std::string error;  // empty: loads with the tag "F\xF6rderband"
    } cases[] = {
        {"cp1252.test", body, ""},
        {"utf8.test", utf8, ""},
        {"bom.test", "\xEF\xBB\xBF" + utf8, ""},
        {"crlf.test", "TEST \"a\"\r\n    SET F\xC3\xB6rderband = 1\r\nEND\r\n", ""},
        {"arrow.test", "# a \xE2\x86\x92 b\n" + utf8,
         "arrow.test:1:1: error: Character U+2192 can't be stored, the project's text is Windows-1252"},
    };
    for (const auto& c : cases) {
        WriteText(dir.File(c.name), c.bytes);
        ScenarioSuite suite;
        std::vector<ScenarioError> errors;
        const bool loaded = suite.LoadFile(dir.File(c.name), c.name, errors);
        if (!c.error.empty()) {
            EXPECT_FALSE(loaded) << c.name;
            ASSERT_EQ(errors.size(), 1u) << c.name;
            EXPECT_EQ(errors[0].Text(), c.error);
            continue;
        }
        ASSERT_TRUE(loaded) << c.name << ": " << (errors.empty() ? "" : errors[0].Text());
        ASSERT_EQ(suite.Files().size(), 1u);
        ASSERT_EQ(suite.Files()[0].tests.size(), 1u);
        EXPECT_EQ(suite.Files()[0].tests[0].steps.at(0).condition.tag, "F\xF6rderband") << c.name;
    }
}

}  // namespace
}  // namespace pontra::scenario::test
