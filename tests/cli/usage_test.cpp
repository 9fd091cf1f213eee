// SPDX-License-Identifier: GPL-3.0-or-later
// What pontra-cli says about a command line it cannot take: an unknown subcommand with
// the nearest one, an unknown option, help, --version, and the hints that save a
// search (controller types, a missing module address, a port variable that is no port,
// the defaults in --help).
#include <gtest/gtest.h>
#include <stdlib.h>

#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

TEST(CliUsage, UnknownWordsAreNamed) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"verfy", "x.clp"}, "Unknown subcommand 'verfy'; did you mean 'verify'?\n"},
        {{"downlaod-list"}, "Unknown subcommand 'downlaod-list'; did you mean 'download-list'?\n"},
        {{"tgogle"}, "Unknown subcommand 'tgogle'; did you mean 'toggle'?\n"},
        {{"-x"},
         "Unknown option '-x'; a subcommand comes first (pontra-cli SUBCOMMAND --help), or --help, "
         "--version\n"},
        {{"help", "dumb"}, "No subcommand 'dumb'; did you mean 'dump'?\n"},
    };
    for (const auto& c : cases) {
        const auto r = RunCli(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0];
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    const auto far = RunCli({"photosynthesis"});
    EXPECT_EQ(far.status, 2);
    EXPECT_TRUE(
        far.err.starts_with("Unknown subcommand 'photosynthesis'; the subcommands are: new, dump, set,"))
        << far.err;
    const auto flag = RunCli({"verify", "--new", "-x"});
    EXPECT_EQ(flag.status, 2);
    EXPECT_NE(flag.err.find("-x"), std::string::npos) << flag.err;
}

TEST(CliUsage, HelpAndVersion) {
    auto r = RunCli({"help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Subcommands:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("download-list"), std::string::npos) << r.out;

    r = RunCli({"help", "debug"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--polls"), std::string::npos) << r.out;
    // debug --help states its defaults.
    r = RunCli({"debug", "--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* part : {"(default 1)", "default none", "default $PONTRA_UDP_PORT, else 55559",
                             "default $PONTRA_MODBUS_PORT, else 502", "default $PONTRA_TFTP_PORT, else 69"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;

    r = RunCli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("pontra-cli ")) << r.out;
    EXPECT_TRUE(r.out.ends_with("\nLicence: GPL-3.0-or-later\n")) << r.out;
    EXPECT_EQ(r.out.find("A subcommand is required"), std::string::npos);
}

TEST(CliUsage, ControllerTypesAreListed) {
    TempDir dir;
    auto r = RunCli({"new", dir.File("a.clp"), "--type", "Vesa"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "new: unknown controller type 'Vesa' (known types: Vessa, Vessa-Lite, Kormo, Aldera, Brindle, "
              "Oskel, VessaK1, VessaK2, VessaK3, KTX-310-1, Vessa-IX, VessaK2/K3-48V)\n");
    // A new in-memory project takes every type with controller tags.
    r = RunCli({"verify", "--new", "--type", "KTX"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("KTX-310-0, KTX-310-1, KTX-310-B, Vessa-IX, KTI-8-0"), std::string::npos) << r.err;
    r = RunCli({"dump", "--new", "--type", "KTX"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("(known types: Vessa,"), std::string::npos) << r.err;
}

// Neither case gets as far as the network.
TEST(CliUsage, OnlineCommandsNeedAModuleAddressAndRealPorts) {
    TempDir dir;
    const std::string project = dir.File("p.clp");
    ASSERT_EQ(RunCli({"new", project}).status, 0);
    for (const char* command : {"debug", "download", "delete-program"}) {
        const auto r = RunCli({command, project, "--yes"});
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_EQ(r.err, std::string(command) +
                             ": the project has no module address (0.0.0.0); set one with "
                             "'pontra-cli set " +
                             project + " --ip A.B.C.D', or give --ip A.B.C.D for this run\n");
    }

    setenv("PONTRA_UDP_PORT", "55559x", 1);
    auto r = RunCli({"debug", project, "--ip", "127.0.0.1"});
    unsetenv("PONTRA_UDP_PORT");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "debug: PONTRA_UDP_PORT='55559x' is no port number (1-65535)\n");

    // A port given on the command line does not read the variable.
    setenv("PONTRA_TFTP_PORT", "0", 1);
    r = RunCli({"mode", project, "run", "--tftp-port", "1069", "--ip", "127.0.0"});
    unsetenv("PONTRA_TFTP_PORT");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "mode: '127.0.0' is no module address (A.B.C.D)\n");
}

} // namespace
} // namespace pontra
