// SPDX-License-Identifier: GPL-3.0-or-later
// download-list against a soft module: it asks as download does, reads the whole list
// (comments allowed) before it touches a module, and says where it looked for a list.
#include <fstream>

#include "CliOnlineFixture.h"

namespace pontra {
namespace {

using test::CliOnlineTest;

struct CliListDownload : CliOnlineTest {
    // Whether module i holds a program (the online start says so when it does not).
    bool HoldsProgram(int i) {
        const auto r = Cli({"debug", project, "--ip", sim.Address(i)});
        return r.err.find("There is not program in module") == std::string::npos;
    }
    std::string List(const std::string& name, const std::string& text) {
        std::ofstream(dir.File(name), std::ios::binary) << text;
        return dir.File(name);
    }
};

TEST_F(CliListDownload, AsksBeforeWritingToEveryModule) {
    const std::string list = List("line.txt", sim.Address(0) + "\r\n" + sim.Address(1) + "\r\n");
    auto r = Cli({"download-list", project, "--list", list});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Do you really want Download Program?\n(no terminal to answer: Cancel)\n");
    EXPECT_FALSE(HoldsProgram(0));
    EXPECT_FALSE(HoldsProgram(1));

    r = Cli({"download-list", project, "--list", list}, "y\n");
    EXPECT_EQ(r.status, 1) << "stdin is no terminal: nobody is asked";
}

TEST_F(CliListDownload, LinesThatAreNoAddressAreNamedAndNothingIsSent) {
    const std::string list = List("line.txt", "# line 3, zones 1-2\r\n" + sim.Address(0) + "\r\nbogus\r\n" +
                                                  sim.Address(1) + "\r\n127.0.0\r\n");
    auto r = Cli({"download-list", project, "--list", list, "--yes"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "download-list: 'bogus' in " + list +
                         " is no module address (A.B.C.D; # starts a comment)\n" +
                         "download-list: '127.0.0' in " + list +
                         " is no module address (A.B.C.D; # starts a comment)\n");
    EXPECT_FALSE(HoldsProgram(0));

    // Comments and blank lines are no modules.
    const std::string commented =
        List("ok.txt", "# line 3\r\n\r\n" + sim.Address(1) + "\r\n  # spare: 127.0.0.99\r\n");
    r = Cli({"download-list", project, "--list", commented, "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with(sim.Address(1) + " OK\n")) << r.out;
    EXPECT_TRUE(HoldsProgram(1));
    EXPECT_FALSE(HoldsProgram(0));
}

TEST_F(CliListDownload, SaysWhereItLookedForTheList) {
    auto r = Cli({"download-list", project, "--yes"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no module list: neither '" + dir.File("p_Modules.txt") + "' nor '"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("--list FILE"), std::string::npos) << r.err;

    // The project's own list is the one the dialog reads.
    List("p_Modules.txt", sim.Address(0) + "\r\n");
    r = Cli({"download-list", project, "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with(sim.Address(0) + " OK\n")) << r.out;
}

} // namespace
} // namespace pontra
