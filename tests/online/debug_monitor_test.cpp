// Debug mode against a soft module running the test program: live values of every
// elementary type, writes and toggles seen in the next read, run and program mode, a
// module that goes silent and comes back, runtime errors, and the command states.
#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "OnlineBench.h"
#include "online/DebugViewLines.h"
#include "online/LiveWrites.h"
#include "online/OnlineCommandStates.h"
#include "online/OnlineSession.h"

namespace pontra::test {
namespace {

struct MonitorTest : ::testing::Test {
    void SetUp() override {
        bench.AddTestProgram();
        if (extraTags) extraTags(bench);
        ASSERT_TRUE(bench.Save());
        ASSERT_TRUE(bench.StartModules({"--program", bench.BuildImage()}));
        ASSERT_TRUE(bench.GoOnline()) << ::testing::PrintToString(bench.host.log);
        ASSERT_TRUE(bench.Poll());
    }
    int Number(const std::string& name) { return std::stoi(bench.Value(name)); }
    // Waits for the status read that a mode command schedules (timer 3 at 10 ms).
    bool StatusRead() {
        const uint64_t before = bench.online().StatusReplies();
        bench.host.FireTimer(kStatusTimer);
        return bench.host.PumpUntil([&] { return bench.online().StatusReplies() > before; }, 3s);
    }
    CommandState State(const char* command) { return *OnlineCommandState(bench.frame, command); }

    std::function<void(OnlineBench&)> extraTags;
    OnlineBench bench;
};

TEST_F(MonitorTest, LiveValuesFollowTheRunningProgram) {
    const struct {
        const char* tag;
        const char* text;
    } initial[] = {
        {"Small", "-5"}, {"Level", "-300"},     {"Big", "-70000"},
        {"Flags", "0"},  {"Mask", "16#0000"},   {"Run", "1"},
        {"Input", "0"},  {"T1.PRE", "1000000"}, {"T1.EN", "1"},
        {"T1.DN", "0"},  {"C1.ACC", "0"},       {"Word32", "2#00000000000000000000000000000000"},
    };
    for (const auto& v : initial) EXPECT_EQ(bench.Value(v.tag), v.text) << v.tag;
    EXPECT_EQ(bench.Value("T1"), "{...}");

    const int before = Number("T1.ACC");
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(bench.Poll());
    EXPECT_GT(Number("T1.ACC"), before) << "the timer's accumulator grows";
}

TEST_F(MonitorTest, WritesAndTogglesShowInTheNextRead) {
    // A counter counts each rising edge of the toggled input; the lamp follows it.
    const CElement* contact = bench.doc().rungs[1]->elements[1].get();
    ASSERT_EQ(contact->mnemonic, "XIC");
    // The written bit shows in the next read; what the program makes of it, after its next scan.
    const auto scanned = [&](const char* tag, std::string value) {
        for (int poll = 0; poll < 5 && bench.Value(tag) != value; ++poll) bench.Poll();
        return bench.Value(tag) == value;
    };
    for (int edge = 1; edge <= 2; ++edge) {
        ASSERT_TRUE(ToggleBit(bench.frame, nullptr, contact));
        ASSERT_TRUE(bench.Poll());
        EXPECT_EQ(bench.Value("Input"), "1");
        EXPECT_TRUE(scanned("Lamp", "1"));
        EXPECT_TRUE(scanned("C1.ACC", std::to_string(edge)));
        ASSERT_TRUE(ToggleVariable(bench.frame, nullptr, "Input  "));
        ASSERT_TRUE(bench.Poll());
        EXPECT_EQ(bench.Value("Input"), "0");
        EXPECT_TRUE(scanned("Lamp", "0"));
    }
    EXPECT_FALSE(ToggleBit(bench.frame, nullptr, bench.doc().rungs[0]->elements[2].get()))
        << "TON is no contact";
    EXPECT_FALSE(ToggleVariable(bench.frame, nullptr, "Level")) << "not a BOOL";

    const struct {
        const char* tag;
        const char* typed;
        const char* shown;
    } writes[] = {
        {"Level", "1234", "1234"},      {"Small", "-128", "-128"},
        {"Mask", "16#BEEF", "16#BEEF"}, {"Big", "-2147483648", "-2147483648"},
        {"Flags", "127", "127"},        {"Input", "0", "1"}, // a BOOL is inverted, whatever was typed
    };
    for (const auto& w : writes) {
        WriteTagDialog dialog(bench.frame, nullptr, bench.Tag(w.tag));
        EXPECT_TRUE(dialog.Ok(w.typed)) << w.tag;
    }
    ASSERT_TRUE(bench.Poll());
    for (const auto& w : writes) EXPECT_EQ(bench.Value(w.tag), w.shown) << w.tag;

    WriteTagDialog dialog(bench.frame, nullptr, bench.Tag("Small"));
    EXPECT_EQ(dialog.initialText, "-128");
    EXPECT_FALSE(dialog.Ok("300")) << "out of range keeps the dialog open";
    EXPECT_EQ(bench.host.Messages().size(), 1u);
}

TEST_F(MonitorTest, RunAndProgramModeShowInTheStatus) {
    EXPECT_EQ(bench.online().RunState(), 1);
    EXPECT_FALSE(State("Debug").enabled);
    EXPECT_TRUE(State("Stop Debugging").enabled);
    EXPECT_TRUE(State("Toggle Debug/Stop Debugging").checked);
    EXPECT_TRUE(State("Run Mode").checked);

    bench.online().SetProgramMode();
    EXPECT_EQ(bench.host.timers[kStatusTimer], 10);
    ASSERT_TRUE(StatusRead());
    EXPECT_EQ(bench.host.timers[kStatusTimer], 10000);
    EXPECT_EQ(bench.online().RunState(), 0);
    EXPECT_TRUE(State("Program Mode").checked);
    ASSERT_TRUE(bench.Poll());
    const int stopped = Number("T1.ACC");
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(bench.Poll());
    EXPECT_EQ(Number("T1.ACC"), stopped) << "program mode stops the scan";

    bench.online().SetRunMode();
    ASSERT_TRUE(StatusRead());
    EXPECT_EQ(bench.online().RunState(), 1);

    ASSERT_TRUE(bench.Stop());
    EXPECT_TRUE(State("Debug").enabled);
    EXPECT_FALSE(State("Run Mode").enabled);
    EXPECT_FALSE(State("Stop Debugging").enabled);
}

TEST_F(MonitorTest, SilentModuleTimesOutAndRecovers) {
    bench.sim.Signal(SIGSTOP);
    bench.host.FireTimer(kPollTimer);
    EXPECT_TRUE(bench.host.PumpUntil([&] { return !bench.online().DataValid(); }, 3s));
    EXPECT_TRUE(bench.host.titles["main"].ends_with(" - Debug - Timeout")) << bench.host.titles["main"];
    EXPECT_EQ(bench.Value("Small"), "...");
    EXPECT_FALSE(ToggleVariable(bench.frame, nullptr, "Input")) << "no value to invert";

    bench.sim.Signal(SIGCONT);
    ASSERT_TRUE(bench.Poll());
    EXPECT_TRUE(bench.online().DataValid());
    EXPECT_NE(bench.host.titles["main"].find(" - Debug - OK"), std::string::npos)
        << bench.host.titles["main"];
    EXPECT_EQ(bench.Value("Small"), "-5");
}

struct LargeMemoryTest : MonitorTest {
    LargeMemoryTest() {
        extraTags = [](OnlineBench& b) { AddTag(b.project(), b.doc().tags, "Buffer", "DINT[500]"); };
    }
};

TEST_F(LargeMemoryTest, TagMemoryIsReadInChunksOf1000Bytes) {
    const size_t size = bench.online().TagMemory().size();
    ASSERT_GT(size, 2000u);
    ASSERT_LT(size, 3000u);
    bench.online().PollTagMemory();
    std::vector<std::pair<int, int>> reads;
    bench.online().Channel().VisitRequests([&](const auto& list) {
        for (const auto& r : list)
            if (r->command == kUdpReadMemory) reads.emplace_back(r->address, r->count);
    });
    EXPECT_EQ(reads, (std::vector<std::pair<int, int>>{
                         {0, 1000}, {1000, 1000}, {2000, static_cast<int>(size) - 2000}}));
    EXPECT_TRUE(bench.host.PumpUntil([&] { return bench.online().ChunkRead(2); }, 3s));
    EXPECT_TRUE(bench.online().DataValid());
}

struct FunctionBlockTest : MonitorTest {
    FunctionBlockTest() {
        extraTags = [](OnlineBench& b) {
            CUnit& motor = AddFunctionBlock(b.project(), "Motor");
            AddTag(b.project(), motor.tags, "In", "BOOL", kUsageInput);
            AddTag(b.project(), motor.tags, "Out", "BOOL", kUsageOutput);
            AddTag(b.project(), motor.tags, "Speed", "INT", kUsageStatic).initialValue = "7";
            AddRung(motor.rungs, Els(El("XIC", {"In"}), El("OTE", {"Out"})));
            AddTag(b.project(), b.doc().tags, "M1", "Motor");
            AddRung(b.doc().rungs, Els(El("JFB", {"M1"})));
        };
    }
};

TEST_F(FunctionBlockTest, ViewsShowTheSelectedInstance) {
    CUnit& motor = *bench.project().FindUnit("Motor");
    EXPECT_EQ(bench.online().InstanceBase(&motor), -1) << "no instance selected";
    EXPECT_EQ(DebugViewLines(bench.frame, motor),
              (std::vector<std::string>{"In: BOOL, Value = ...", "Out: BOOL, Value = ...",
                                        "Speed: INT, Value = ..."}));
    EXPECT_FALSE(ToggleVariable(bench.frame, &motor, "In"));

    bench.online().SetInstanceBase(&motor, bench.Tag("M1").address);
    EXPECT_TRUE(ToggleVariable(bench.frame, &motor, "In "));
    // Out follows In at the block's next scan.
    for (int poll = 0; poll < 5 && bench.Value("M1.Out") != "1"; ++poll) ASSERT_TRUE(bench.Poll());
    EXPECT_EQ(
        DebugViewLines(bench.frame, motor),
        (std::vector<std::string>{"In: BOOL, Value = 1", "Out: BOOL, Value = 1", "Speed: INT, Value = 7"}));
    EXPECT_TRUE(bench.host.titles["fb:Motor:tags"].starts_with("Function Block - Motor - Tags - Debug - OK"))
        << bench.host.titles["fb:Motor:tags"];

    ASSERT_TRUE(bench.Stop());
    EXPECT_EQ(bench.online().InstanceBase(&motor), -1);
    EXPECT_EQ(DebugViewLines(bench.frame, motor).back(), "Speed: INT, InitValue = 7");
    EXPECT_EQ(bench.host.titles["fb:Motor:tags"], "Function Block - Motor - Tags");
}

struct RuntimeErrorTest : MonitorTest {
    RuntimeErrorTest() {
        extraTags = [](OnlineBench& b) {
            AddTag(b.project(), b.doc().tags, "Zero", "DINT");
            AddRung(b.doc().rungs, Els(El("XIC", {"Run"}), El("DIV", {"Big", "Zero", "Big"})));
        };
    }
};

TEST_F(RuntimeErrorTest, IsReportedOnceInTheOutputWindow) {
    ASSERT_TRUE(bench.Poll());
    const std::vector<std::string> lines = bench.Lines();
    ASSERT_TRUE(lines.back().starts_with("Runtime Error(#103) - Divide by Zero. Program Counter = "))
        << lines.back();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), lines.back()), 1);
}

} // namespace
} // namespace pontra::test
