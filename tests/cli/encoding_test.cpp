// SPDX-License-Identifier: GPL-3.0-or-later
// The project's Windows-1252 text through pontra-cli: JSON as UTF-8, the terminal in the
// locale's encoding, component files in and out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <nlohmann/json.hpp>

#include "cli/TerminalText.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

const std::string kCp1252 = "F\xF6rderband l\xE4uft";
const std::string kUtf8 = "F\xC3\xB6rderband l\xC3\xA4uft";

std::string MainFile(const std::string& text) {
    return "PROGRAM Main \r\n\r\nVAR\r\nBelt{description = " + text + "}: BOOL;\r\nEND_VAR\r\n\r\nRUNG{comment = " + text +
           "};\r\nXIC(Belt);\r\nRND;\r\n\r\nEND_PROGRAM\r\n";
}

void WriteText(const std::string& path, const std::string& text) { WriteBytes(path, {text.begin(), text.end()}); }

std::string FileText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

// The child processes see this locale; the test's own stays as it was.
class Locale {
public:
    explicit Locale(const char* name) {
        if (const char* old = std::getenv("LC_ALL")) saved_ = old;
        setenv("LC_ALL", name, 1);
    }
    ~Locale() {
        if (saved_)
            setenv("LC_ALL", saved_->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }

private:
    std::optional<std::string> saved_;
};

// A project whose main rung comment and tag description hold "Förderband läuft" as the
// project format's single bytes.
std::string ConveyorProject(const TempDir& dir) {
    const std::string project = dir.File("Line.clp");
    const std::string source = dir.File("main.txt");
    WriteText(source, MainFile(kCp1252));
    EXPECT_EQ(RunCli({"new", project}).status, 0);
    auto imported = RunCli({"import", project, source, "--yes"});
    EXPECT_EQ(imported.status, 0) << imported.out << imported.err;
    return project;
}

TEST(CliEncoding, DumpIsValidJsonHoldingTheText) {
    TempDir dir;
    const std::string project = ConveyorProject(dir);
    auto dumped = RunCli({"dump", project});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    const auto json = nlohmann::json::parse(dumped.out);
    EXPECT_EQ(json["main"]["rungs"][0]["comment"], kUtf8);
    const auto& tags = json["main"]["tags"];
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0]["name"], "Belt");
    EXPECT_EQ(tags[0]["description"], kUtf8);
}

TEST(CliEncoding, TerminalGetsTheLocalesEncoding) {
    TempDir dir;
    const std::string project = ConveyorProject(dir);
    for (const char* locale : {"C.UTF-8", "C"}) {
        SCOPED_TRACE(locale);
        Locale scoped(locale);
        auto shown = RunCli({"export", project, "--main"});
        ASSERT_EQ(shown.status, 0) << shown.err;
        EXPECT_EQ(shown.out, MainFile(kUtf8));
    }
    // A Windows-1252 or Latin-1 terminal gets single bytes; one without the characters "?".
    EXPECT_EQ(ToTerminal(kCp1252, "CP1252"), kCp1252);
    EXPECT_EQ(ToTerminal(kCp1252, "ISO-8859-1"), kCp1252);
    EXPECT_EQ(ToTerminal("\x80 \x96", "ISO-8859-15"), "\xA4 ?");
    EXPECT_EQ(ToTerminal("plain", "KOI8-R"), "plain");
}

TEST(CliEncoding, ComponentFilesRoundTripInBothEncodings) {
    TempDir dir;
    const std::string project = ConveyorProject(dir);
    const std::string file = dir.File("out.txt");
    ASSERT_EQ(RunCli({"export", project, "--main", "-o", file}).status, 0);
    EXPECT_EQ(FileText(file), MainFile(kCp1252));  // -o writes the project's bytes

    // What the terminal showed (UTF-8), saved and imported again, gives the same bytes.
    const std::string shown = dir.File("shown.txt");
    Locale scoped("C.UTF-8");
    WriteText(shown, RunCli({"export", project, "--main"}).out);
    const std::string second = dir.File("Second.clp");
    ASSERT_EQ(RunCli({"new", second}).status, 0);
    auto imported = RunCli({"import", second, shown, "--yes"});
    ASSERT_EQ(imported.status, 0) << imported.out;
    const std::string again = dir.File("again.txt");
    ASSERT_EQ(RunCli({"export", second, "--main", "-o", again}).status, 0);
    EXPECT_EQ(FileText(again), MainFile(kCp1252));

    // An arrow has no Windows-1252 byte: refused with its line, nothing saved.
    const std::string arrow = dir.File("arrow.txt");
    WriteText(arrow, MainFile("a \xE2\x86\x92 b"));
    const auto before = ReadBytes(second);
    auto refused = RunCli({"import", second, arrow, "--yes"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("Error at line 4 : OnImport : Character U+2192"), std::string::npos) << refused.out;
    EXPECT_EQ(ReadBytes(second), before);
}

}  // namespace
}  // namespace pontra
