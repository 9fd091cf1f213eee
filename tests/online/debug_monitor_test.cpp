// SPDX-License-Identifier: GPL-3.0-or-later
// Debug mode against a soft module running the test program: live values of every
// elementary type, writes and toggles seen in the next read, run and program mode, a
// module that goes silent and comes back, runtime errors, and the command states. Then
// the session alone, handed the replies a module would send: chunked reads, status
// replies, the start's status checks and the bit a toggle writes.
#include <gtest/gtest.h>
#include <signal.h>

#include <set>
#include <thread>
#include <tuple>

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
        {"Flags", "127", "127"},        {"Input", "0", "0"}, // a BOOL is set to the value typed, not inverted
    };
    for (const auto& w : writes) {
        WriteTagDialog dialog(bench.frame, nullptr, bench.Tag(w.tag));
        EXPECT_TRUE(dialog.Ok(w.typed)) << w.tag;
    }
    ASSERT_TRUE(bench.Poll());
    for (const auto& w : writes) EXPECT_EQ(bench.Value(w.tag), w.shown) << w.tag;
    for (int twice = 0; twice < 2; ++twice)
        EXPECT_TRUE(WriteTagDialog(bench.frame, nullptr, bench.Tag("Input")).Ok("1"));
    ASSERT_TRUE(bench.Poll());
    EXPECT_EQ(bench.Value("Input"), "1") << "set, twice, stays set";

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
    EXPECT_FALSE(ToggleBit(bench.frame, &motor, motor.rungs[0]->elements[1].get()));
    bench.online().Channel().VisitRequests([](const auto& list) {
        for (const auto& r : list) EXPECT_EQ(r->command, kUdpReadMemory) << "nothing but reads went out";
    });

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

// A bench in debug mode without a module: its requests go to a loopback address where
// nothing answers, and the test hands the consumers the replies a module would send.
void OnlineWithoutModule(OnlineBench& bench, std::vector<uint8_t> memory) {
    bench.doc().SetModuleAddress(0x7F000000u | static_cast<uint32_t>(std::rand() % 0xFFFF) << 8 | 99u);
    bench.online().SetPorts({static_cast<uint16_t>(20000 + std::rand() % 9000), 30001,
                             static_cast<uint16_t>(40000 + std::rand() % 9000)});
    if (!memory.empty()) bench.online().EnterDebugMode(std::move(memory));
}

UdpRequest Reply(uint16_t command, uint16_t address, const std::vector<uint8_t>& data) {
    UdpRequest r;
    r.command = command;
    r.address = address;
    r.count = static_cast<uint16_t>(data.size());
    r.state = kUdpAnswered;
    r.replyLength = static_cast<uint32_t>(kUdpHeaderSize + data.size());
    std::copy(data.begin(), data.end(), r.reply.begin() + kUdpHeaderSize);
    return r;
}

// A 40-byte status block with the given 16-bit fields (offset, value).
std::vector<uint8_t> StatusBlock(std::initializer_list<std::pair<int, int>> fields) {
    std::vector<uint8_t> block(40, 0);
    for (auto [offset, value] : fields) {
        block[offset] = static_cast<uint8_t>(value);
        block[offset + 1] = static_cast<uint8_t>(value >> 8);
    }
    return block;
}

// The requests in the channel's list with one of `commands`: (command, address, count).
std::vector<std::tuple<int, int, int>> Requests(OnlineBench& bench, std::set<int> commands) {
    std::vector<std::tuple<int, int, int>> found;
    bench.online().Channel().VisitRequests([&](const auto& list) {
        for (const auto& r : list)
            if (commands.count(r->command)) found.emplace_back(r->command, r->address, r->count);
    });
    return found;
}

// Answers every read of tag memory with the bytes of `memory` at its place.
void AnswerReads(OnlineBench& bench, const std::vector<uint8_t>& memory) {
    for (auto [command, address, count] : Requests(bench, {kUdpReadMemory}))
        bench.online().OnReadAnswered(Reply(kUdpReadMemory, static_cast<uint16_t>(address),
                                            {memory.begin() + address, memory.begin() + address + count}));
}

TEST(SessionAlone, TagMemoryIsReadInChunksAndValidWithTheLastReply) {
    std::vector<std::tuple<int, int, int>> tenChunks;
    for (int at = 0; at < 10000; at += 1000) tenChunks.emplace_back(kUdpReadMemory, at, 1000);
    struct Case {
        size_t size;
        std::vector<std::tuple<int, int, int>> reads;
    } cases[] = {
        {1000, {{kUdpReadMemory, 0, 1000}}},
        {1001, {{kUdpReadMemory, 0, 1000}, {kUdpReadMemory, 1000, 1}}},
        {12000, tenChunks}, // no more than 10000 bytes are read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        OnlineBench bench;
        OnlineWithoutModule(bench, std::vector<uint8_t>(c.size, 0));
        bench.online().PollTagMemory();
        const auto reads = Requests(bench, {kUdpReadMemory});
        EXPECT_EQ(reads, c.reads);
        std::vector<uint8_t> module(c.size);
        for (size_t i = 0; i < module.size(); ++i) module[i] = static_cast<uint8_t>(i / 1000 + 1);
        for (size_t i = 0; i < reads.size(); ++i) {
            EXPECT_FALSE(bench.online().DataValid()) << "before reply " << i;
            const auto [command, address, count] = reads[i];
            bench.online().OnReadAnswered(
                Reply(kUdpReadMemory, static_cast<uint16_t>(address),
                      {module.begin() + address, module.begin() + address + count}));
        }
        EXPECT_TRUE(bench.online().DataValid());
        EXPECT_EQ(bench.online().CompleteReads(), 1u);
        const std::vector<uint8_t>& copy = bench.online().TagMemory();
        EXPECT_TRUE(std::equal(copy.begin(), copy.begin() + std::min<size_t>(c.size, 10000), module.begin()));
    }
}

TEST(SessionAlone, StatusRepliesGiveModeStatusTextAndRuntimeLines) {
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        int runState;
        std::string statusText;
        const char* line; // added by the next read of tag memory
    } cases[] = {
        {"run mode", StatusBlock({{0, 1}, {10, 7}, {38, 12}}), 1, " - OK (TaskTime = 7 ms; CPU = 12 %)",
         nullptr},
        {"scan below 1 ms", StatusBlock({{0, 0}, {10, 0}, {38, 3}}), 0, " - OK (TaskTime < 1 ms; CPU = 3 %)",
         nullptr},
        {"run state 2", StatusBlock({{0, 2}, {10, 5}}), -1, " - OK (TaskTime = 5 ms; CPU = 0 %)", nullptr},
        {"runtime error without text", StatusBlock({{0, 1}, {10, 5}, {24, 105}, {26, 9}}), 1,
         " - OK (TaskTime = 5 ms; CPU = 0 %)", nullptr},
        {"runtime error", StatusBlock({{0, 1}, {10, 5}, {24, 104}, {26, 9}}), 1,
         " - OK (TaskTime = 5 ms; CPU = 0 %)",
         "Runtime Error(#104) - Array index is out of range. Program Counter = 9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OnlineBench bench;
        OnlineWithoutModule(bench, std::vector<uint8_t>(1000, 0));
        OnlineSession& online = bench.online();
        online.OnStatusAnswered(Reply(kUdpReadStatus, 0, c.block));
        EXPECT_EQ(online.RunState(), c.runState);
        EXPECT_EQ(online.StatusText(), c.statusText);
        const bool modeKnown = c.runState != -1;
        EXPECT_EQ(OnlineCommandState(bench.frame, "Program Mode")->enabled, modeKnown);
        EXPECT_EQ(OnlineCommandState(bench.frame, "Run Mode")->enabled, modeKnown);

        const size_t lines = bench.Lines().size();
        online.OnReadAnswered(Reply(kUdpReadMemory, 0, std::vector<uint8_t>(1000, 0)));
        EXPECT_TRUE(bench.host.titles["main"].ends_with(" - Debug" + c.statusText))
            << bench.host.titles["main"];
        if (c.line) {
            EXPECT_EQ(bench.Lines().back(), c.line);
        } else {
            EXPECT_EQ(bench.Lines().size(), lines);
        }

        online.OnStatusFailed(Reply(kUdpReadStatus, 0, {}));
        EXPECT_EQ(online.RunState(), -1);
        EXPECT_EQ(online.TaskTime(), -1);
        EXPECT_EQ(online.StatusText(), " - OK");
        EXPECT_FALSE(OnlineCommandState(bench.frame, "Run Mode")->enabled);
    }
}

TEST(SessionAlone, APrescanErrorInTheStatusStopsTheStart) {
    OnlineBench bench;
    OnlineWithoutModule(bench, {});
    bench.online().PostStartStatusRequest();
    ASSERT_TRUE(bench.online().AwaitingStart());
    bench.online().OnStatusAnswered(
        Reply(kUdpReadStatus, 0, StatusBlock({{24, 7}, {26, 12}, {28, 3}, {30, 5}})));
    EXPECT_EQ(bench.host.Messages(),
              std::vector<std::string>{
                  "Program is not running. CRITICAL ERROR!\r\nPrescan error(#7) - Bit Operand "
                  "Address >= Tags Size.\r\nProgram Counter = 12\r\nInstruction = 3\r\nRung = 4"});
    EXPECT_FALSE(bench.online().AwaitingStart());
    EXPECT_EQ(bench.frame.debugMode, 0);
}

TEST(SessionAlone, ToggleWritesTheBitOfItsWord) {
    struct Case {
        int address, bit, word, wordBit;
    } cases[] = {{6, 3, 4, 19}, {4, 0, 4, 0}, {7, 7, 4, 31}, {9, 1, 8, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.address << "." << c.bit);
        OnlineBench bench;
        CTag& flag = AddTag(bench.project(), bench.doc().tags, "Flag", "BOOL");
        flag.address = c.address;
        flag.bit = c.bit;
        std::vector<uint8_t> memory(1000, 0);
        memory[c.address] = static_cast<uint8_t>(1 << c.bit);
        OnlineWithoutModule(bench, memory);
        bench.online().PollTagMemory();
        AnswerReads(bench, memory);
        ASSERT_EQ(bench.Value("Flag"), "1");

        const auto contact = El("XIC", {"Flag"});
        EXPECT_TRUE(ToggleBit(bench.frame, nullptr, contact.get()));
        EXPECT_TRUE(ToggleVariable(bench.frame, nullptr, "Flag "));
        const std::tuple<int, int, int> clear{kUdpClearBit, c.word, c.wordBit};
        EXPECT_EQ(Requests(bench, {kUdpSetBit, kUdpClearBit}), (std::vector{clear, clear}));
    }
}

} // namespace
} // namespace pontra::test
