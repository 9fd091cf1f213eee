// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli test: exit status, what it prints, the JUnit XML it writes, and the same
// scenarios on a soft module over the network in real time giving the same results as
// on the simulated clock.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>
#include <optional>
#include <regex>

#include "ScenarioFixture.h"
#include "support/SimProcess.h"

namespace pontra::scenario::test {
namespace {

class TestCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        zone_ = new std::string(MakeProject(*dir_, "zone", ReadText(ExamplePath("conveyor_zone.txt"))));
    }
    static void TearDownTestSuite() {
        delete zone_;
        delete dir_;
    }
    static inline TempDir* dir_ = nullptr;
    static inline std::string* zone_ = nullptr;
};

TEST_F(TestCommand, AllPassingExitsZeroAndListsEachTest) {
    const std::string scenarios = ExamplePath("conveyor_zone.test");
    const auto r = RunCli({"test", *zone_, scenarios});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("PASS " + scenarios + ": \"A blink of the photo-eye shorter than the debounce time is "
                                               "ignored\" (250 ms)\n"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(r.out.ends_with("5 tests: 5 passed, 0 failed\n")) << r.out;
    EXPECT_EQ(r.out.find("FAIL"), std::string::npos);
}

TEST_F(TestCommand, AFailedExpectationExitsOneWithItsPlace) {
    WriteText(dir_->File("f.test"), "TEST \"late\"\n  SET ZoneSensor = 1\n  RUN 50 ms\n  EXPECT ZoneOccupied = 1\nEND\n");
    const auto r = RunCli({"test", *zone_, dir_->File("f.test")});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("FAIL " + dir_->File("f.test") + ": \"late\" (50 ms)\n  " + dir_->File("f.test") +
                         ":4: ZoneOccupied: expected = 1, actual 0 (at 50 ms)\n"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(r.out.ends_with("1 tests: 0 passed, 1 failed\n")) << r.out;
}

// Errors in any of the files: status 2, every file's first error, and nothing runs.
TEST_F(TestCommand, ScenarioFileErrorsExitTwoBeforeAnythingRuns) {
    WriteText(dir_->File("good.test"), "TEST \"g\"\nRUN 1 ms\nEND\n");
    WriteText(dir_->File("syntax.test"), "TEST \"s\"\n  RUN fast\nEND\n");
    WriteText(dir_->File("tag.test"), "TEST \"t\"\n  EXPECT Nowhere = 1\nEND\n");
    auto r = RunCli({"test", *zone_, dir_->File("good.test"), dir_->File("syntax.test")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, dir_->File("syntax.test") + ":2:7: error: unknown time unit 'FAST' (ms, s or min)\n");
    EXPECT_EQ(r.out, "");
    r = RunCli({"test", *zone_, dir_->File("good.test"), dir_->File("tag.test")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, dir_->File("tag.test") + ":2:10: error: unknown tag 'Nowhere' (not in the main program)\n");
    EXPECT_EQ(r.out.find("PASS"), std::string::npos) << r.out;
    r = RunCli({"test", *zone_, dir_->File("missing.test")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, dir_->File("missing.test") + ": error: cannot read the file\n");
    r = RunCli({"test", *zone_, dir_->File("good.test"), "--scan-ms", "0"});
    EXPECT_EQ(r.status, 2);
}

// A minimal reader of the XML written: elements with their attributes, checked for
// nesting, quoting and escaping on the way.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<Element> children;
    std::string text;
};

std::optional<Element> ParseXml(const std::string& xml) {
    const std::regex declaration(R"re(^<\?xml version="1\.0" encoding="UTF-8"\?>\n)re");
    if (!std::regex_search(xml, declaration)) return std::nullopt;
    std::vector<Element> stack;
    std::optional<Element> root;
    const std::regex tag(R"re(<(/?)([A-Za-z_]+)((?:\s+[a-z_]+="[^"<&]*(?:&(?:amp|lt|gt|quot|apos);[^"<&]*)*")*)\s*(/?)>)re");
    const std::regex attribute(R"re(([a-z_]+)="([^"]*)")re");
    size_t at = xml.find('\n') + 1;
    while (at < xml.size()) {
        const size_t open = xml.find('<', at);
        if (open == std::string::npos) break;
        const std::string between = xml.substr(at, open - at);
        if (!stack.empty()) stack.back().text += between;
        std::smatch m;
        const std::string rest = xml.substr(open);
        if (!std::regex_search(rest, m, tag, std::regex_constants::match_continuous)) return std::nullopt;
        if (m[1] == "/") {
            if (stack.empty() || stack.back().name != m[2]) return std::nullopt;
            Element done = std::move(stack.back());
            stack.pop_back();
            if (stack.empty()) root = std::move(done);
            else stack.back().children.push_back(std::move(done));
        } else {
            Element e{m[2], {}, {}, {}};
            const std::string attrs = m[3];
            for (auto it = std::sregex_iterator(attrs.begin(), attrs.end(), attribute); it != std::sregex_iterator(); ++it)
                e.attributes[(*it)[1]] = (*it)[2];
            if (m[4] == "/") {
                if (stack.empty()) return std::nullopt;
                stack.back().children.push_back(std::move(e));
            } else {
                stack.push_back(std::move(e));
            }
        }
        at = open + static_cast<size_t>(m.length(0));
    }
    if (!stack.empty()) return std::nullopt;
    return root;
}

TEST_F(TestCommand, JUnitXmlHasTheFieldsCiSystemsRead) {
    WriteText(dir_->File("j.test"),
              "TEST \"passes\"\nRUN 1 ms\nEND\n"
              "TEST \"fails <twice> & 'quoted'\"\nSET ZoneSensor = 1\nRUN 20 ms\nEXPECT ZoneOccupied = 1\n"
              "EXPECT SensorDebounce.ACC > 100\nEND\n");
    const std::string out = dir_->File("report.xml");
    const auto r = RunCli({"test", *zone_, dir_->File("j.test"), ExamplePath("conveyor_zone.test"), "--junit", out});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    const std::string xml = ReadText(out);
    const auto root = ParseXml(xml);
    ASSERT_TRUE(root) << xml;
    EXPECT_EQ(root->name, "testsuites");
    EXPECT_EQ(root->attributes.at("tests"), "7");
    EXPECT_EQ(root->attributes.at("failures"), "1");
    EXPECT_EQ(root->attributes.at("errors"), "0");
    EXPECT_TRUE(std::regex_match(root->attributes.at("time"), std::regex(R"(\d+\.\d{3})")));
    ASSERT_EQ(root->children.size(), 2u);
    const Element& suite = root->children[0];
    EXPECT_EQ(suite.name, "testsuite");
    EXPECT_EQ(suite.attributes.at("name"), "j.test");
    EXPECT_EQ(suite.attributes.at("tests"), "2");
    EXPECT_EQ(suite.attributes.at("failures"), "1");
    EXPECT_EQ(suite.attributes.at("errors"), "0");
    EXPECT_EQ(suite.attributes.at("skipped"), "0");
    EXPECT_TRUE(suite.attributes.count("time"));
    ASSERT_EQ(suite.children.size(), 2u);
    EXPECT_EQ(suite.children[0].name, "testcase");
    EXPECT_EQ(suite.children[0].attributes.at("name"), "passes");
    EXPECT_EQ(suite.children[0].attributes.at("classname"), "j");
    EXPECT_TRUE(suite.children[0].children.empty());
    const Element& failing = suite.children[1];
    EXPECT_EQ(failing.attributes.at("name"), "fails &lt;twice&gt; &amp; &apos;quoted&apos;");
    EXPECT_EQ(failing.attributes.at("line"), "4");
    ASSERT_EQ(failing.children.size(), 1u);
    const Element& failure = failing.children[0];
    EXPECT_EQ(failure.name, "failure");
    EXPECT_EQ(failure.attributes.at("type"), "expectation");
    EXPECT_EQ(failure.attributes.at("message"),
              dir_->File("j.test") + ":7: ZoneOccupied: expected = 1, actual 0 (at 20 ms)");
    EXPECT_EQ(failure.text, dir_->File("j.test") + ":7: ZoneOccupied: expected = 1, actual 0 (at 20 ms)\n" +
                                dir_->File("j.test") +
                                ":8: SensorDebounce.ACC: expected &gt; 100, actual 10 (at 20 ms)\n");
    const Element& examples = root->children[1];
    EXPECT_EQ(examples.attributes.at("name"), "conveyor_zone.test");
    EXPECT_EQ(examples.attributes.at("tests"), "5");
    EXPECT_EQ(examples.attributes.at("failures"), "0");
}

// A timer on the simulated clock and on a soft module running in real time: the same
// scenario gives the same results, passes and failures alike.
TEST(TestCommandOnModule, SimulatedTimeAndRealTimeAgree) {
    TempDir dir;
    std::optional<std::string> oldTmp;
    if (const char* old = getenv("TMPDIR")) oldTmp = old;
    // the online start reads the module's program back into the temporary folder
    setenv("TMPDIR", dir.Path().c_str(), 1);
    const std::string project = MakeProject(dir, "delay",
                                            "PROGRAM Main \r\n\r\nVAR\r\nDelay: TIMER := (1000,0,0,0,0);\r\n"
                                            "Done: BOOL;\r\nEND_VAR\r\n\r\n"
                                            "RUNG;\r\nXIC(Inputs.0);\r\nTON(Delay);\r\nRND;\r\n\r\n"
                                            "RUNG;\r\nXIC(Delay.DN);\r\nOTE(Done);\r\nRND;\r\n\r\nEND_PROGRAM\r\n");
    WriteText(dir.File("delay.test"),
              "TEST \"on-delay\"\n"
              "  SET Inputs.0 = 1\n"
              "  RUN 500 ms\n"
              "  EXPECT Done = 0\n"
              "  EXPECT Delay.ACC >= 400\n"
              "  WAIT UNTIL Done = 1 WITHIN 2 s\n"
              "  EXPECT Delay.ACC = 1000\n"
              "  SET Inputs.0 = 0\n"
              "  RUN 100 ms\n"
              "  EXPECT Done = 0\n"
              "  EXPECT Delay.ACC = 0\n"
              "END\n"
              "TEST \"too early\"\n"
              "  SET Inputs.0 = 1\n"
              "  RUN 300 ms\n"
              "  EXPECT Done = 1\n"
              "END\n");
    const auto simulated = RunCli({"test", project, dir.File("delay.test"), "--junit", dir.File("sim.xml")});
    EXPECT_EQ(simulated.status, 1) << simulated.out << simulated.err;

    sim::test::SimProcess module;
    ASSERT_TRUE(module.Start());
    const auto real = RunCli({"test", project, dir.File("delay.test"), "--module", module.address, "--modbus-port",
                              std::to_string(module.modbusPort), "--tftp-port", std::to_string(module.tftpPort),
                              "--udp-port", std::to_string(module.udpPort), "--yes", "--junit", dir.File("real.xml")});
    EXPECT_EQ(real.status, 1) << real.out << real.err;
    for (const auto* r : {&simulated, &real}) {
        EXPECT_NE(r->out.find("PASS " + dir.File("delay.test") + ": \"on-delay\""), std::string::npos) << r->out;
        EXPECT_NE(r->out.find("FAIL " + dir.File("delay.test") + ": \"too early\""), std::string::npos) << r->out;
        EXPECT_NE(r->out.find(dir.File("delay.test") + ":16: Done: expected = 1, actual 0 (at "), std::string::npos)
            << r->out;
        EXPECT_TRUE(r->out.ends_with("2 tests: 1 passed, 1 failed\n")) << r->out;
    }
    module.Stop();
    if (oldTmp) setenv("TMPDIR", oldTmp->c_str(), 1);
    else unsetenv("TMPDIR");
}

}  // namespace
}  // namespace pontra::scenario::test
