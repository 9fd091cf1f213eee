// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and -o write to what is at the path, never take it over: symbolic links are
// followed, FIFOs and devices are written into, read-only files and folders are refused,
// and every failed write is a failure.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

bool IsLink(const std::string& path) {
    return fs::is_symlink(fs::symlink_status(path));
}

// pontra-cli through the shell, for redirections and a working folder of the test's own.
ProcessResult Shell(const std::string& command) {
    return RunProcess("/bin/sh", {"-c", command});
}

std::string Cli() {
    return "'" + BuiltBinary("src/cli/pontra-cli") + "'";
}

struct CliSafeWrite : ::testing::Test {
    void SetUp() override {
        project = dir.File("p.clp");
        ASSERT_EQ(RunCli({"new", project, "--ip", "127.0.0.4"}).status, 0);
        mainText = RunCli({"export", project, "--main"}).out;
        ASSERT_FALSE(mainText.empty());
    }
    TempDir dir;
    std::string project;
    std::string mainText;
};

TEST_F(CliSafeWrite, SavingALinkedProjectSavesTheFileItNames) {
    fs::create_directory(dir.File("real"));
    const std::string real = dir.File("real/Proj.clp");
    fs::rename(project, real);
    const std::string link = dir.File("Proj.clp");
    fs::create_symlink("real/Proj.clp", link);
    const auto original = ReadBytes(real);

    auto r = RunCli({"set", link, "--ip", "127.0.0.9"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(IsLink(link)) << "the link stays a link";
    EXPECT_NE(RunCli({"dump", real}).out.find("\"module_address\": \"127.0.0.9\""), std::string::npos);
    // The backup is the real project's previous content, beside it; nothing beside the link.
    EXPECT_EQ(ReadBytes(dir.File("real/Proj_Backup.clp")), original);
    EXPECT_FALSE(IsLink(dir.File("real/Proj_Backup.clp")));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Proj.clp", "real"}));

    // -o onto a link, also one whose file does not exist yet.
    fs::create_symlink("real/main.txt", dir.File("main.txt"));
    r = RunCli({"export", link, "--main", "-o", dir.File("main.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(IsLink(dir.File("main.txt")));
    EXPECT_EQ(Text(ReadBytes(dir.File("real/main.txt"))), mainText);
}

TEST_F(CliSafeWrite, ReadOnlyProjectsAndFoldersAreRefused) {
    ASSERT_EQ(chmod(project.c_str(), 0444), 0);
    const auto original = ReadBytes(project);
    auto r = RunCli({"set", project, "--ip", "127.0.0.9"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Can't save the project file '" + project + "'!"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("is read-only"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(project), original);
    EXPECT_EQ(fs::status(project).permissions() & fs::perms::all, fs::perms(0444));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"p.clp"})) << "no backup, no temporary file";

    fs::create_directory(dir.File("out"));
    r = RunCli({"export", project, "--main", "-o", dir.File("out")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is a folder"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_directory(dir.File("out")));
}

TEST_F(CliSafeWrite, FifosAndDevicesAreWrittenIntoNotReplaced) {
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Nobody reads: an error at once, not a wait.
    auto r = RunCli({"export", project, "--main", "-o", fifo});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no program reads"), std::string::npos) << r.err;

    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    r = RunCli({"export", project, "--main", "-o", fifo});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string received(mainText.size() + 16, '\0');
    const ssize_t n = read(reader, received.data(), received.size());
    close(reader);
    EXPECT_EQ(received.substr(0, static_cast<size_t>(std::max<ssize_t>(n, 0))), mainText);
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A device node of the test's own (root only): written into and left a device.
    const std::string device = dir.File("null");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        r = RunCli({"export", project, "--main", "-o", device});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_character_file(device));
    }
}

TEST_F(CliSafeWrite, WriteErrorsFailAndDashIsStdout) {
    auto r = RunCli({"export", project, "--main", "-o", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    r = Shell(Cli() + " dump '" + project + "' > /dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write the output: No space left on device"), std::string::npos) << r.err;
    r = Shell(Cli() + " export '" + project + "' --main > /dev/full");
    EXPECT_EQ(r.status, 1) << r.err;

    r = Shell("cd '" + dir.Path() + "' && " + Cli() + " export p.clp --main -o -");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, mainText);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"p.clp"})) << "no file named '-'";
}

} // namespace
} // namespace pontra
