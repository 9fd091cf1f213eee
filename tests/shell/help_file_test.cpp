// SPDX-License-Identifier: GPL-3.0-or-later
// Where Help Topics finds the guide: beside the program in a build tree, in
// share/doc/pontra of an installed one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/AppShell.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

TEST(HelpFile, BesideTheProgramFirstThenTheInstalledGuide) {
    TempDir dir;
    namespace fs = std::filesystem;
    const fs::path bin = fs::path(dir.File("usr")) / "bin";
    const fs::path doc = fs::path(dir.File("usr")) / "share" / "doc" / "pontra";
    fs::create_directories(bin);
    fs::create_directories(doc);
    const std::string beside = (bin / "Pontra.pdf").string();
    const std::string installed = (doc / "Pontra.pdf").string();

    // Neither: the path beside the program, which the refusal names.
    EXPECT_EQ(HelpFilePath(bin.string()), beside);
    std::ofstream(installed) << "%PDF";
    EXPECT_EQ(HelpFilePath(bin.string()), installed);
    std::ofstream(beside) << "%PDF";
    EXPECT_EQ(HelpFilePath(bin.string()), beside);
    // A folder of that name is no guide.
    fs::remove(beside);
    fs::create_directory(beside);
    fs::remove(installed);
    EXPECT_EQ(HelpFilePath(bin.string()), beside);
}

}  // namespace
}  // namespace pontra
