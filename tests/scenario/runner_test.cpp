// SPDX-License-Identifier: GPL-3.0-or-later
// Scenario runs on the soft module's ladder machine with the simulated clock: the
// examples' scenarios pass; programs with one deliberate fault fail the expectation that
// should catch it, with its place, values and time; runtime errors and a runaway scan
// end a test with the module's message.
#include <gtest/gtest.h>

#include "ScenarioFixture.h"

namespace pontra::scenario::test {
namespace {

std::string FailureTexts(const ScenarioRun& run) {
    std::string text;
    for (const auto& e : run.errors) text += e.Text() + "\n";
    for (const auto& r : run.results)
        for (const auto& f : r.failures) text += r.name + ": " + f.Text() + "\n";
    return text;
}

struct Example {
    const char* name;
    size_t tests;
};

TEST(ScenarioRunner, TheExamplesScenariosPass) {
    TempDir dir;
    for (const Example& e : {Example{"conveyor_zone", 5}, Example{"speed_ramp", 3}}) {
        const std::string project = MakeProject(dir, e.name, ReadText(ExamplePath(std::string(e.name) + ".txt")));
        const ScenarioRun run = RunScenario(project, ReadText(ExamplePath(std::string(e.name) + ".test")), e.name);
        ASSERT_TRUE(run.built) << e.name;
        EXPECT_EQ(run.results.size(), e.tests) << e.name;
        EXPECT_EQ(run.Failed(), 0u) << FailureTexts(run);
    }
}

// One line of the conveyor zone changed: the scenario that covers it fails at the
// expectation that describes the intended behaviour, and only there.
TEST(ScenarioRunner, DeliberatelyBrokenProgramsFailTheRightExpectation) {
    const std::string zone = ReadText(ExamplePath("conveyor_zone.txt"));
    const std::string scenarios = ReadText(ExamplePath("conveyor_zone.test"));
    const struct {
        const char* what;
        const char* from;
        const char* to;
        const char* test;
        const char* firstFailure;
        size_t failedTests;
    } cases[] = {
        {"downstream contact inverted", "XIO(FromDownstreamState.0);", "XIC(FromDownstreamState.0);",
         "A product blocking the photo-eye for 100 ms occupies the zone",
         "zone.test:32: Discharging: expected = 1, actual 0 (at 110 ms)", 4},
        {"jam timer preset 5 s instead of 8 s", "TIMER := (8000,0,0,0,0)", "TIMER := (5000,0,0,0,0)",
         "A product that does not leave jams the zone after 8 s; the reset button clears the jam",
         "zone.test:57: Jam: expected = 0, actual 1 (at 7100 ms)", 1},
        {"run-on preset 1 s instead of 1.5 s", "TIMER := (1500,0,0,0,0)", "TIMER := (1000,0,0,0,0)",
         "The roller runs on for 1.5 s after the product has left the photo-eye",
         "zone.test:46: ZoneMotor: expected = 1, actual 0 (at 1520 ms)", 1},
        {"debounce preset 200 ms instead of 100 ms", "TIMER := (100,0,0,0,0)", "TIMER := (200,0,0,0,0)",
         "A product blocking the photo-eye for 100 ms occupies the zone",
         "zone.test:26: SensorDebounce.DN: expected = 1, actual 0 (at 110 ms)", 1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string project = MakeProject(dir, "zone", Replace(zone, c.from, c.to));
        const ScenarioRun run = RunScenario(project, scenarios, "zone.test");
        ASSERT_EQ(run.results.size(), 5u) << c.what;
        EXPECT_EQ(run.Failed(), c.failedTests) << c.what << "\n" << FailureTexts(run);
        const TestResult* failed = run.Find(c.test);
        ASSERT_NE(failed, nullptr);
        ASSERT_FALSE(failed->Passed()) << c.what;
        const ScenarioFailure& first = failed->failures.front();
        EXPECT_EQ(first.Text(), c.firstFailure) << c.what;
    }
}

TEST(ScenarioRunner, AFailureCarriesItsTagValuesAndTimeAndTheTestGoesOn) {
    TempDir dir;
    const std::string project = MakeProject(dir, "zone", ReadText(ExamplePath("conveyor_zone.txt")));
    const ScenarioRun run = RunScenario(project,
                                "TEST \"t\"\n"
                                "SET ZoneSensor = 1\n"
                                "WAIT UNTIL ZoneOccupied = 1 WITHIN 50 ms\n"
                                "EXPECT SensorDebounce.ACC = 16#20 +/- 1\n"
                                "RUN 6 SCANS\n"
                                "EXPECT ZoneOccupied = 1\n"
                                "END\n",
                                "f.test");
    ASSERT_EQ(run.results.size(), 1u);
    const auto& failures = run.results[0].failures;
    ASSERT_EQ(failures.size(), 2u) << FailureTexts(run);
    EXPECT_EQ(failures[0].Text(), "f.test:3: ZoneOccupied: expected = 1 within 50 ms, actual 0 (at 50 ms)");
    EXPECT_EQ(failures[0].tag, "ZoneOccupied");
    EXPECT_EQ(failures[0].timeMs, 50u);
    // the tag's display style (decimal) for both sides
    EXPECT_EQ(failures[1].Text(), "f.test:4: SensorDebounce.ACC: expected = 32 +/- 1, actual 50 (at 50 ms)");
    EXPECT_EQ(failures[1].expected, "= 32 +/- 1");
    EXPECT_EQ(failures[1].actual, "50");
    EXPECT_EQ(run.results[0].simulatedMs, 120u);
}

// Each test starts from the image's initial tag memory, whatever the one before left.
TEST(ScenarioRunner, EachTestStartsFromTheInitialTagMemory) {
    TempDir dir;
    const std::string project = MakeProject(dir, "zone", ReadText(ExamplePath("conveyor_zone.txt")));
    const ScenarioRun run = RunScenario(project,
                                "TEST \"a\"\nSET JamTimer.PRE = 5\nSET ZoneSensor = 1\nRUN 1 s\nEXPECT PartCounter.ACC = 1\nEND\n"
                                "TEST \"b\"\nEXPECT JamTimer.PRE = 8000\nEXPECT ZoneSensor = 0\nEXPECT PartCounter.ACC = 0\n"
                                "RUN 1 SCAN\nEXPECT FirstLadderExec = 1\nEND\n");
    EXPECT_EQ(run.Failed(), 0u) << FailureTexts(run);
}

// A division by zero, and a Structured Text loop that runs far past the per-scan limit
// (ladder cannot jump backwards; a FOR loop's code does).
const char* const kFaults = R"(PROGRAM Main 

VAR
A: DINT := 10;
B: DINT;
C: DINT;
Loop: Spin;
END_VAR

RUNG;
XIC(Inputs.1);
DIV(A,B,C);
RND;

RUNG;
XIC(Inputs.2);
OTE(Loop.Go);
RND;

RUNG;
JFB(Loop);
RND;

END_PROGRAM

FUNCTION_BLOCK Spin

VAR_INPUT
Go: BOOL;
END_VAR

VAR
I: DINT;
N: DINT;
END_VAR

IF Go THEN
    FOR I := 0 TO 2000000000 DO
        N := N + 1;
    END_FOR;
END_IF;
END_FUNCTION_BLOCK
)";

TEST(ScenarioRunner, RuntimeErrorsAndRunawayScansEndTheTestWithTheModulesMessage) {
    TempDir dir;
    const std::string project = MakeProject(dir, "faults", kFaults);
    const ScenarioRun run = RunScenario(project,
                                "TEST \"divide\"\nRUN 30 ms\nSET Inputs.1 = 1\nRUN 30 ms\nEXPECT C = 0\nEND\n"
                                "TEST \"loop\"\nSET Inputs.2 = 1\nRUN 1 SCAN\nEXPECT C = 0\nEND\n"
                                "TEST \"fine\"\nRUN 1 s\nEXPECT C = 0\nEND\n",
                                "faults.test", 10, 100000);
    ASSERT_EQ(run.results.size(), 3u) << FailureTexts(run);
    ASSERT_EQ(run.results[0].failures.size(), 1u) << FailureTexts(run);
    const ScenarioFailure& divide = run.results[0].failures[0];
    EXPECT_TRUE(divide.tag.empty());
    EXPECT_EQ(divide.line, 4);
    EXPECT_TRUE(divide.message.starts_with("Runtime Error(#103) - Divide by Zero. Program Counter = ")) << divide.message;
    EXPECT_TRUE(divide.message.ends_with(", rung 1 of the main program, instruction DIV (at 30 ms)")) << divide.message;
    EXPECT_EQ(divide.faultUnit, "");
    EXPECT_EQ(divide.faultRung, 1);
    ASSERT_EQ(run.results[1].failures.size(), 1u) << FailureTexts(run);
    const std::string& loop = run.results[1].failures[0].message;
    EXPECT_TRUE(loop.starts_with("Runtime Error(#100) - The End of Stack. Program Counter = ")) << loop;
    EXPECT_TRUE(loop.ends_with(", rung 3 of function block Spin, instruction JMP (the scan ran more than 100000 "
                               "instructions) (at 0 ms)"))
        << loop;
    EXPECT_EQ(run.results[1].failures[0].faultUnit, "Spin");
    EXPECT_EQ(run.results[1].failures[0].faultRung, 3);
    EXPECT_TRUE(run.results[2].Passed()) << FailureTexts(run);
}

// The time base: at any scan period the timers see the same times (the scans at 1000 ms
// and 8100 ms happen at each of these periods).
TEST(ScenarioRunner, TimersFollowTheSimulatedClockAtAnyScanPeriod) {
    TempDir dir;
    const std::string project = MakeProject(dir, "zone", ReadText(ExamplePath("conveyor_zone.txt")));
    for (uint32_t scanMs : {1u, 5u, 10u, 50u}) {
        const ScenarioRun run = RunScenario(project,
                                    "TEST \"t\"\nSET ZoneSensor = 1\nRUN 1001 ms\nEXPECT SensorDebounce.DN = 1\n"
                                    "EXPECT JamTimer.ACC = 900\nRUN 7099 ms\nEXPECT Jam = 0\nRUN 1 ms\nEXPECT Jam = 1\nEND\n",
                                    "t.test", scanMs);
        EXPECT_EQ(run.Failed(), 0u) << scanMs << " ms\n" << FailureTexts(run);
    }
}

}  // namespace
}  // namespace pontra::scenario::test
