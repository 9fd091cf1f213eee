// SPDX-License-Identifier: GPL-3.0-or-later
// New, Open, Save and Save As: titles, the revision counter, the "_Backup" copy, the
// older-version warning, the refusals, and saves that fail without costing a file.
#include <gtest/gtest.h>

#include "files/FileBytes.h"
#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"
#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

class DocumentLifecycle : public ::testing::Test {
protected:
    ProgramVersion VersionInFile(const std::string& path) {
        auto result = ReadProjectFile(path);
        EXPECT_TRUE(result.project) << result.error;
        return result.project ? result.project->doc.version : ProgramVersion{};
    }
    // A file of format version 4 (as an older program wrote it) with revision 3.
    std::string WriteVersion4File(const std::string& name) {
        test::FileBytes f;
        f.U32(4).U32(1000).U32(0).Text("Vessa");
        f.U32(1).Rung(0, "", 1, test::FileBytes().Element(1, {""}));
        f.U32(0).U32(0).U32(0x00010000).U32(3).U32(3).U32(3);
        const std::string path = dir.File(name);
        WriteBytes(path, f.bytes);
        return path;
    }

    TempDir dir;
    ScriptedHost host;
    CMainFrame frame{host};
};

TEST_F(DocumentLifecycle, SavingUntitledAsksForAPathThenKeepsABackup) {
    ASSERT_TRUE(NewDocument(frame));
    const std::string path = dir.File("P.clp");
    host.files.push_back(path);
    ASSERT_TRUE(SaveDocument(frame));
    EXPECT_EQ(host.log, (std::vector<std::string>{"file: save"}));
    EXPECT_EQ(frame.doc().version.revision, 1u);
    EXPECT_EQ(host.titles["main"], "P.clp - Main Routine (0.0.0.0)");
    const auto first = ReadBytes(path);

    frame.SetModified(true);
    EXPECT_EQ(host.titles["main"], "P.clp* - Main Routine (0.0.0.0)");
    EXPECT_EQ(host.titles["tags"], "P.clp* - Tags (0.0.0.0)");
    ASSERT_TRUE(SaveDocument(frame));
    EXPECT_EQ(host.log.size(), 1u);  // no second dialog
    EXPECT_EQ(host.titles["main"], "P.clp - Main Routine (0.0.0.0)");
    EXPECT_EQ(frame.doc().version.revision, 2u);
    EXPECT_EQ(ReadBytes(dir.File("P_Backup.clp")), first);
    EXPECT_EQ(VersionInFile(path).revision, 2u);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"P.clp", "P_Backup.clp"}));  // no temporary left

    // An older backup is replaced by the next one.
    ASSERT_TRUE(SaveDocument(frame));
    EXPECT_EQ(VersionInFile(dir.File("P_Backup.clp")).revision, 2u);
    EXPECT_EQ(VersionInFile(path).revision, 3u);
}

TEST_F(DocumentLifecycle, SaveAsElsewhereStartsAtRevisionOne) {
    ASSERT_TRUE(SaveDocumentAs(frame, dir.File("A.clp")));
    ASSERT_TRUE(SaveDocument(frame));
    ASSERT_TRUE(SaveDocument(frame));
    EXPECT_EQ(frame.doc().version.revision, 3u);
    ASSERT_TRUE(SaveDocumentAs(frame, dir.File("B.clp")));
    EXPECT_EQ(frame.doc().version.revision, 1u);
    EXPECT_EQ(frame.doc().pathName, dir.File("B.clp"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("B_Backup.clp")));
    // The same file under another spelling is the same file.
    ASSERT_TRUE(SaveDocumentAs(frame, dir.Path() + "/./B.clp"));
    EXPECT_EQ(frame.doc().version.revision, 2u);
    EXPECT_TRUE(std::filesystem::exists(dir.File("B_Backup.clp")));
}

TEST_F(DocumentLifecycle, OlderFormatWarnsOnceAndCancelKeepsTheFile) {
    const std::string path = WriteVersion4File("Old.clp");
    const auto original = ReadBytes(path);
    ASSERT_TRUE(OpenDocument(frame, path));
    EXPECT_EQ(frame.doc().formatVersion, 4u);
    const std::string warning =
        "okcancel: This project file is created with older Pontra version!\r\nIf you choose OK, the project file will "
        "save with the current version and you will not open it with Pontra older versions!";

    EXPECT_FALSE(SaveDocument(frame));  // Cancel
    EXPECT_EQ(host.log, (std::vector<std::string>{warning}));
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Old.clp"}));

    host.answers = {true};
    ASSERT_TRUE(SaveDocument(frame));
    EXPECT_EQ(host.log.size(), 2u);
    EXPECT_EQ(ReadBytes(dir.File("Old_Backup.clp")), original);
    EXPECT_EQ(frame.doc().formatVersion, 5u);
    EXPECT_EQ(frame.doc().version.revision, 4u);
    ASSERT_TRUE(SaveDocument(frame));
    EXPECT_EQ(host.log.size(), 2u);  // written in the current version now: no more warning
}

TEST_F(DocumentLifecycle, OnlineOrDownloadingNothingIsSavedOrReplaced) {
    ASSERT_TRUE(SaveDocumentAs(frame, dir.File("P.clp")));
    const auto before = ReadBytes(dir.File("P.clp"));
    CProject* project = &frame.project();
    frame.debugMode = 1;
    host.files.push_back(dir.File("Q.clp"));
    EXPECT_FALSE(NewDocument(frame));
    EXPECT_FALSE(OpenDocument(frame));
    EXPECT_FALSE(SaveDocument(frame));
    EXPECT_FALSE(SaveDocumentAs(frame));
    EXPECT_FALSE(SaveDocumentTo(frame, dir.File("P.clp")));
    EXPECT_EQ(host.Messages(), std::vector<std::string>(5, CMainFrame::kDebugModeRefusal));
    EXPECT_EQ(host.log.size(), 5u);  // no dialog was shown
    EXPECT_EQ(&frame.project(), project);
    EXPECT_EQ(ReadBytes(dir.File("P.clp")), before);
    EXPECT_EQ(frame.doc().version.revision, 1u);

    // During a download saving and closing are ignored without a word.
    frame.debugMode = 0;
    frame.downloadInProgress = true;
    host.log.clear();
    EXPECT_FALSE(SaveDocument(frame));
    EXPECT_FALSE(SaveDocumentTo(frame, dir.File("P.clp")));
    EXPECT_FALSE(NewDocument(frame));
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(frame.doc().version.revision, 1u);
}

TEST_F(DocumentLifecycle, FailedSaveLeavesFilesAndProjectAsTheyWere) {
    const std::string path = dir.File("P.clp");
    ASSERT_TRUE(SaveDocumentAs(frame, path));
    frame.SetModified(true);
    ASSERT_TRUE(SaveDocument(frame));
    const auto file = ReadBytes(path);
    const auto backup = ReadBytes(dir.File("P_Backup.clp"));
    const uint32_t stamp = frame.doc().timeStamp;

    // A line the format cannot hold makes the write fail before any file is touched.
    auto unit = std::make_unique<CUnit>("St", kUnitFunctionBlock, kLanguageST);
    unit->text = {std::string(600, 'x')};
    frame.units().push_back(std::move(unit));
    frame.SetModified(true);
    host.log.clear();
    EXPECT_FALSE(SaveDocument(frame));
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{"Can't save the project file '" + path +
                                                         "'!\r\nline 1 of 'St' is longer than 512 characters"}));
    EXPECT_EQ(ReadBytes(path), file);
    EXPECT_EQ(ReadBytes(dir.File("P_Backup.clp")), backup);
    EXPECT_EQ(frame.doc().version.revision, 2u);
    EXPECT_EQ(frame.doc().timeStamp, stamp);
    EXPECT_TRUE(frame.doc().modified);
    EXPECT_EQ(host.titles["main"], "P.clp* - Main Routine (0.0.0.0)");

    // A folder that does not exist: nothing can be created there.
    frame.units().pop_back();
    EXPECT_FALSE(SaveDocumentAs(frame, dir.File("missing/Q.clp")));
    EXPECT_EQ(frame.doc().pathName, path);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"P.clp", "P_Backup.clp"}));
}

TEST_F(DocumentLifecycle, PlainSaveWritesTheProjectAsItIs) {
    frame.plainSave = true;
    frame.doc().timeStamp = 77;
    ASSERT_TRUE(SaveDocumentAs(frame, dir.File("P.clp")));
    ASSERT_TRUE(SaveDocument(frame));
    EXPECT_EQ(frame.doc().version.revision, 0u);
    EXPECT_EQ(frame.doc().timeStamp, 77u);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"P.clp"}));
}

TEST_F(DocumentLifecycle, OpenReplacesTheProjectOnlyWhenTheFileReads) {
    ASSERT_TRUE(SaveDocumentAs(frame, dir.File("P.clp")));
    auto bytes = ReadBytes(dir.File("P.clp"));
    bytes.resize(bytes.size() / 2);
    WriteBytes(dir.File("Broken.clp"), bytes);
    CProject* before = &frame.project();
    EXPECT_FALSE(OpenDocument(frame, dir.File("Broken.clp")));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_TRUE(host.Messages()[0].starts_with("Can't open the project file '" + dir.File("Broken.clp") + "'!\r\n"));
    EXPECT_EQ(&frame.project(), before);
    EXPECT_FALSE(OpenDocument(frame, dir.File("None.clp")));
    EXPECT_EQ(&frame.project(), before);

    host.files.push_back(dir.File("P.clp"));
    ASSERT_TRUE(OpenDocument(frame));
    EXPECT_NE(&frame.project(), before);
    EXPECT_EQ(frame.doc().pathName, dir.File("P.clp"));
    EXPECT_EQ(host.titles["main"], "P.clp - Main Routine (0.0.0.0)");
}

TEST_F(DocumentLifecycle, ModifiedProjectIsOfferedForSavingBeforeItCloses) {
    ASSERT_TRUE(SaveDocumentAs(frame, dir.File("P.clp")));
    frame.SetModified(true);
    CProject* before = &frame.project();
    EXPECT_FALSE(OpenDocument(frame, dir.File("P.clp")));  // Cancel
    EXPECT_EQ(host.log, (std::vector<std::string>{"yesnocancel: Save changes to P.clp?"}));
    EXPECT_EQ(&frame.project(), before);

    host.threeWayAnswers = {Host::Answer::Yes};
    ASSERT_TRUE(NewDocument(frame));
    EXPECT_EQ(VersionInFile(dir.File("P.clp")).revision, 2u);
    EXPECT_EQ(host.titles["main"], "Untitled - Main Routine (0.0.0.0)");
    EXPECT_EQ(frame.units().size(), 1u);  // the configuration type, as in every opened project

    frame.SetModified(true);
    host.threeWayAnswers = {Host::Answer::No};
    ASSERT_TRUE(OpenDocument(frame, dir.File("P.clp")));
    EXPECT_EQ(frame.doc().pathName, dir.File("P.clp"));
}

TEST_F(DocumentLifecycle, OpenRunsThePostLoadChecks) {
    frame.doc().tags.push_back(std::make_unique<CTag>("Bad Name", "DINT"));
    ASSERT_TRUE(SaveDocumentAs(frame, dir.File("P.clp")));
    host.answers = {true};
    ASSERT_TRUE(OpenDocument(frame, dir.File("P.clp")));
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_TRUE(host.log[0].starts_with("okcancel: Project contains forbidden symbol"));
    EXPECT_EQ(frame.doc().tags[0]->name, "Bad_Name");
    EXPECT_EQ(host.titles["main"], "P.clp* - Main Routine (0.0.0.0)");
}

TEST_F(DocumentLifecycle, TitlesOfUnitWindowsAndFunctionBlockDocuments) {
    frame.units().push_back(std::make_unique<CUnit>("Conv", kUnitFunctionBlock));
    frame.units().push_back(std::make_unique<CUnit>("Motor", kUnitType));
    frame.doc().SetModuleAddress(0x7F000002);
    frame.SetModified(true);
    EXPECT_EQ(host.titles["fb:Conv:routine"], "Function Block - Conv* - Routine");
    EXPECT_EQ(host.titles["fb:Conv:tags"], "Function Block - Conv* - Tags");
    EXPECT_EQ(host.titles["fbdoc:Conv"], "Conv (127.0.0.2)");
    EXPECT_EQ(host.titles["type:Motor"], "Motor*");
}

}  // namespace
}  // namespace pontra
