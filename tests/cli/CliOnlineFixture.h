// SPDX-License-Identifier: GPL-3.0-or-later
// The online subcommands of pontra-cli against a soft module process on a random
// loopback address and random high ports, with a new project that names its first
// module.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace pontra::test {

inline size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

struct CliOnlineTest : ::testing::Test {
    // Modules the soft module serves (127.0.0.x, x+1, ...).
    virtual int Modules() const { return 2; }

    void SetUp() override {
        // Each test gets a temporary folder of its own, which the online start uses.
        if (const char* old = getenv("TMPDIR")) oldTmp = old;
        setenv("TMPDIR", dir.Path().c_str(), 1);
        ASSERT_TRUE(sim.Start({}, Modules()));
        project = dir.File("p.clp");
        ASSERT_EQ(RunCli({"new", project, "--ip", sim.address}).status, 0);
    }
    void TearDown() override {
        if (oldTmp)
            setenv("TMPDIR", oldTmp->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    // pontra-cli with the soft module's ports after the subcommand and its file.
    std::vector<std::string> WithPorts(std::vector<std::string> args) const {
        args.insert(args.begin() + 2,
                    {"--modbus-port", std::to_string(sim.modbusPort), "--tftp-port",
                     std::to_string(sim.tftpPort), "--udp-port", std::to_string(sim.udpPort)});
        return args;
    }
    ProcessResult Cli(const std::vector<std::string>& args, const std::string& input = "") const {
        return RunCli(WithPorts(args), input);
    }

    TempDir dir;
    sim::test::SimProcess sim;
    std::string project;
    std::optional<std::string> oldTmp;
};

} // namespace pontra::test
