// SPDX-License-Identifier: GPL-3.0-or-later
// Project differences: the line diff's hunks, pontra-cli diff on a project and on edited
// copies of it, and pontra-cli textconv as git's text conversion in a real git diff.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "files/UnifiedDiff.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(UnifiedDiff, HunksWithThreeLinesOfContext) {
    const std::string ten = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    const struct {
        const char* what;
        std::string a, b;
        std::string hunks;
    } cases[] = {
        {"same", ten, ten, ""},
        {"both empty", "", "", ""},
        {"one line changed", ten, "1\n2\n3\n4\nfive\n6\n7\n8\n9\n10\n", "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n"},
        {"first line removed", ten, "2\n3\n4\n5\n6\n7\n8\n9\n10\n", "@@ -1,4 +1,3 @@\n-1\n 2\n 3\n 4\n"},
        {"appended", "a\n", "a\nb\n", "@@ -1 +1,2 @@\n a\n+b\n"},
        {"into nothing", "", "a\nb\n", "@@ -0,0 +1,2 @@\n+a\n+b\n"},
        {"all removed", "a\n", "", "@@ -1 +0,0 @@\n-a\n"},
        {"changes 6 lines apart share a hunk", ten, "one\n2\n3\n4\n5\n6\n7\nEIGHT\n9\n10\n",
         "@@ -1,10 +1,10 @@\n-1\n+one\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+EIGHT\n 9\n 10\n"},
        {"changes 7 lines apart make two hunks", ten + "11\n", "one\n2\n3\n4\n5\n6\n7\n8\nNINE\n10\n11\n",
         "@@ -1,4 +1,4 @@\n-1\n+one\n 2\n 3\n 4\n@@ -6,6 +6,6 @@\n 6\n 7\n 8\n-9\n+NINE\n 10\n 11\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(UnifiedHunks(Lines(c.a), Lines(c.b)), c.hunks) << c.what;
}

// Texts that differ everywhere: beyond the edit bound the middle is removed, then added,
// instead of searching on.
TEST(UnifiedDiff, UnrelatedTextsStayBounded) {
    std::vector<std::string> a, b;
    for (int i = 0; i < 20000; ++i) {
        a.push_back("a" + std::to_string(i));
        b.push_back("b" + std::to_string(i));
    }
    const auto lines = DiffLines(a, b, 100);
    ASSERT_EQ(lines.size(), 40000u);
    EXPECT_EQ(lines[0].op, DiffOp::Removed);
    EXPECT_EQ(lines[20000].op, DiffOp::Added);
    // within the bound, a shortest script
    const auto small = DiffLines({"x", "a", "b", "c"}, {"a", "b", "y", "c"});
    ASSERT_EQ(small.size(), 5u);
    EXPECT_EQ(small[0].op, DiffOp::Removed);
    EXPECT_EQ(small[3].op, DiffOp::Added);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class ProjectDiffTest : public ::testing::Test {
protected:
    // The speed ramp example (ladder main program, a Structured Text block) as NAME.clp,
    // its component text changed by `edit`.
    std::string Make(const std::string& name, const std::function<std::string(std::string)>& edit = {}) {
        std::string text = ReadText(std::string(PONTRA_SOURCE_DIR) + "/examples/speed_ramp.txt");
        if (edit) text = edit(text);
        WriteText(dir.File(name + ".txt"), text);
        const std::string project = dir.File(name + ".clp");
        EXPECT_EQ(RunCli({"new", project, "--ip", "127.0.0.1"}).status, 0);
        const auto imported = RunCli({"import", project, dir.File(name + ".txt"), "--yes"});
        EXPECT_EQ(imported.status, 0) << imported.out << imported.err;
        return project;
    }
    TempDir dir;
};

TEST_F(ProjectDiffTest, AProjectAgainstItselfAndAnEditedCopy) {
    const std::string a = Make("a");
    auto r = RunCli({"diff", a, a});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");

    const std::string b = Make("b", [](std::string t) {
        t = Replace(t, "XIO(Inputs.1);", "XIC(Inputs.1);");
        t = Replace(t, "Running{description = Zone is running}: BOOL;", "Running{description = Zone runs}: BOOL;");
        return Replace(t, "AtSpeed := Speed = Goal;", "AtSpeed := Speed >= Goal;");
    });
    r = RunCli({"diff", a, b});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "--- " + a + ": Main program tags\n"
              "+++ " + b + ": Main program tags\n"
              "@@ -1,2 +1,2 @@\n"
              " LeftRamp{description = Speed ramp of the left roller}: SpeedRamp;\n"
              "-Running{description = Zone is running}: BOOL;\n"
              "+Running{description = Zone runs}: BOOL;\n"
              "--- " + a + ": Main program\n"
              "+++ " + b + ": Main program\n"
              "@@ -1,6 +1,6 @@\n"
              " RUNG{comment = The zone runs while its sensor sees a product and no stop is requested};\n"
              " XIC(Inputs.0);\n"
              "-XIO(Inputs.1);\n"
              "+XIC(Inputs.1);\n"
              " OTE(Running);\n"
              " RND;\n"
              " \n"
              "--- " + a + ": FUNCTION_BLOCK SpeedRamp\n"
              "+++ " + b + ": FUNCTION_BLOCK SpeedRamp\n"
              "@@ -30,4 +30,4 @@\n"
              "     END_IF;\n"
              " END_IF;\n"
              " \n"
              "-AtSpeed := Speed = Goal;\n"
              "+AtSpeed := Speed >= Goal;\n");

    // a component only one side has, and a changed timer preset with a display style
    const std::string c = Make("c", [](std::string t) {
        t = Replace(t, "Running{description = Zone is running}: BOOL;",
                    "Running{description = Zone is running}: BOOL;\r\nHold: TIMER := (500,0,0,0,0);");
        return t;
    });
    r = RunCli({"diff", a, c});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "--- " + a + ": Main program tags\n"
              "+++ " + c + ": Main program tags\n"
              "@@ -1,2 +1,3 @@\n"
              " LeftRamp{description = Speed ramp of the left roller}: SpeedRamp;\n"
              " Running{description = Zone is running}: BOOL;\n"
              "+Hold: TIMER := (500,0,0,0,0);\n");

    r = RunCli({"diff", a, dir.File("missing.clp")});
    EXPECT_EQ(r.status, 2);
}

// git diff shows the component text of .clp files through the documented textconv
// set-up, in a scratch repository.
TEST_F(ProjectDiffTest, GitDiffShowsComponentTextThroughTextconv) {
    const std::string repo = dir.File("repo");
    std::filesystem::create_directory(repo);
    const std::string cli = BuiltBinary("src/cli/pontra-cli");
    // git from PATH (the process runner takes a full path)
    const auto found = RunProcess("/bin/sh", {"-c", "command -v git"});
    if (found.status != 0) GTEST_SKIP() << "git is not installed";
    const std::string gitProgram = found.out.substr(0, found.out.find('\n'));
    auto git = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"-C", repo, "-c", "user.name=Pontra Test", "-c", "user.email=test@example.invalid",
                                   "-c", "core.pager=cat"});
        return RunProcess(gitProgram, args);
    };
    ASSERT_EQ(git({"init", "-q"}).status, 0);
    ASSERT_EQ(git({"config", "diff.pontra.textconv", cli + " textconv"}).status, 0);
    WriteText(repo + "/.gitattributes", "*.clp diff=pontra\n");
    std::filesystem::copy_file(Make("a"), repo + "/line.clp");
    ASSERT_EQ(git({"add", "."}).status, 0);
    ASSERT_EQ(git({"commit", "-q", "-m", "first"}).status, 0);
    std::filesystem::copy_file(Make("b", [](std::string t) { return Replace(t, "MOV(40,LeftRamp.Step);", "MOV(25,LeftRamp.Step);"); }),
                               repo + "/line.clp", std::filesystem::copy_options::overwrite_existing);
    const auto diff = git({"diff", "--no-color"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    EXPECT_NE(diff.out.find("-MOV(40,LeftRamp.Step);\n+MOV(25,LeftRamp.Step);\n"), std::string::npos) << diff.out;
    EXPECT_EQ(diff.out.find("Binary files"), std::string::npos) << diff.out;
    const auto textconv = RunCli({"textconv", repo + "/line.clp"});
    EXPECT_EQ(textconv.status, 0);
    EXPECT_TRUE(textconv.out.starts_with("=== Controller properties\nController type: Vessa\nModule address: 127.0.0.1\n"))
        << textconv.out;
    EXPECT_NE(textconv.out.find("=== FUNCTION_BLOCK SpeedRamp\n(* Structured Text *)\nVAR_INPUT\n"), std::string::npos)
        << textconv.out;
}

}  // namespace
}  // namespace pontra
