// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DocumentLifecycle.h"

#include <ctime>
#include <filesystem>

#include "files/PostLoadChecks.h"
#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"
#include "files/SafeFileWrite.h"
#include "model/Project.h"
#include "shell/AppShell.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"
#include "shell/Titles.h"

namespace pontra {

namespace fs = std::filesystem;

namespace {

constexpr const char* kOlderVersionWarning =
    "This project file is created with older Pontra version!\r\n"
    "If you choose OK, the project file will save with the current version and you will not open it with Pontra "
    "older versions!";

FileDialogRequest ProjectFileDialog(bool save, const std::string& initialPath) {
    return {save, ".clp", "CLP Files (*.clp) | *.clp||", initialPath, {}};
}

std::string DocumentTitle(const CVessaDoc& doc) {
    return doc.pathName.empty() ? "Untitled" : fs::path(doc.pathName).filename().string();
}

bool SamePath(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return a == b;
    std::error_code ec1, ec2;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a), ec1);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b), ec2);
    if (ec1 || ec2) return a == b;
    return ca == cb;
}

void SaveFailed(CMainFrame& frame, const std::string& path, const std::string& reason) {
    frame.host().Message("Can't save the project file '" + path + "'!\r\n" + reason);
}

void Saved(CMainFrame& frame, const std::string& path) {
    CVessaDoc& doc = frame.doc();
    doc.pathName = path;
    doc.formatVersion = 5;
    frame.SetModified(false);
    AddRecentFile(frame, path);
    frame.host().Repaint();  // the project tree shows the revision
}

bool PlainSave(CMainFrame& frame, const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!WriteProject(frame.project(), bytes, error) || !WriteFileSafely(path, bytes, error)) {
        SaveFailed(frame, path, error);
        return false;
    }
    Saved(frame, path);
    return true;
}

}  // namespace

std::string BackupPathFor(const std::string& path) {
    fs::path p(path);
    const std::string extension = p.extension().string();
    p.replace_extension();
    return p.string() + "_Backup" + extension;
}

std::unique_ptr<CProject> NewProjectDocument(const std::string& controllerType) {
    auto project = NewProject(controllerType);
    EnsureConfigurationUnit(*project);
    return project;
}

bool QueryCloseDocument(CMainFrame& frame) {
    if (!PassesBusyGuard(frame, EditAction::CloseProject)) return false;
    if (!frame.doc().modified) return true;
    switch (frame.host().AskYesNoCancel("Save changes to " + DocumentTitle(frame.doc()) + "?")) {
        case Host::Answer::Yes:
            return SaveDocument(frame);
        case Host::Answer::No:
            return true;
        case Host::Answer::Cancel:
            break;
    }
    return false;
}

bool CloseDocument(CMainFrame& frame) {
    if (!PassesDebugGuard(frame, Command::Close) || !QueryCloseDocument(frame)) return false;
    for (const auto& [window, title] : WindowTitles(frame.project(), TitleState{}))
        if (!window.starts_with("fbdoc:")) frame.host().CloseWindow(window);
    frame.CloseProject();
    return true;
}

bool NewDocument(CMainFrame& frame) {
    if (!PassesDebugGuard(frame, Command::New) || !QueryCloseDocument(frame)) return false;
    frame.SetProject(NewProjectDocument());
    return true;
}

bool OpenDocument(CMainFrame& frame, const std::string& givenPath) {
    if (!PassesDebugGuard(frame, Command::Open) || !QueryCloseDocument(frame)) return false;
    Host& host = frame.host();
    std::string path = givenPath;
    if (path.empty()) {
        auto chosen = host.ChooseFile(ProjectFileDialog(false, frame.doc().pathName));
        if (!chosen || chosen->empty()) return false;
        path = *chosen;
    }
    std::vector<uint8_t> bytes;
    ProjectReadResult result = ReadProjectFile(path, &bytes);
    if (!result.project) {
        host.Message("Can't open the project file '" + path + "'!\r\n" + result.error);
        return false;
    }
    RunPostLoadChecks(host, *result.project, {bytes, result.oldServoNames});
    frame.SetProject(std::move(result.project));
    AddRecentFile(frame, path);
    return true;
}

bool SaveDocument(CMainFrame& frame) {
    if (!PassesGuards(frame, Command::Save)) return false;
    CVessaDoc& doc = frame.doc();
    if (doc.pathName.empty()) return SaveDocumentAs(frame);
    if (doc.formatVersion < 5 && !frame.host().AskOkCancel(kOlderVersionWarning)) return false;
    return SaveDocumentTo(frame, doc.pathName);
}

bool SaveDocumentAs(CMainFrame& frame, const std::string& givenPath) {
    if (!PassesGuards(frame, Command::SaveAs)) return false;
    std::string path = givenPath;
    if (path.empty()) {
        auto chosen = frame.host().ChooseFile(ProjectFileDialog(true, frame.doc().pathName));
        if (!chosen || chosen->empty()) return false;
        path = *chosen;
    }
    return SaveDocumentTo(frame, path);
}

bool SaveDocumentTo(CMainFrame& frame, const std::string& path) {
    if (frame.commitPendingEdits) frame.commitPendingEdits();
    if (frame.plainSave) return PlainSave(frame, path);
    if (!PassesGuards(frame, EditAction::SaveOperation)) return false;

    CVessaDoc& doc = frame.doc();
    const uint32_t oldTimeStamp = doc.timeStamp;
    const uint32_t oldRevision = doc.version.revision;
    const bool sameFile = SamePath(path, doc.pathName);
    doc.timeStamp = static_cast<uint32_t>(std::time(nullptr));
    doc.version.revision = sameFile ? oldRevision + 1 : 1;

    // A link is followed: the file it names is saved and keeps its backup beside it. A
    // FIFO or a device is written into and has no backup.
    std::vector<uint8_t> bytes;
    std::string temp, error;
    SaveTarget target;
    const bool ok =
        WriteProject(frame.project(), bytes, error) && ResolveSaveTarget(path, target, error) &&
        (target.direct ? WriteDirect(target.path, bytes, error)
                       : WriteTemporaryBeside(target.path, bytes, temp, error) &&
                             ReplaceWithTemporary(temp, target.path,
                                                  sameFile ? BackupPathFor(target.path) : std::string(), error));
    if (!ok) {
        doc.timeStamp = oldTimeStamp;
        doc.version.revision = oldRevision;
        SaveFailed(frame, path, error);
        return false;
    }
    Saved(frame, path);
    return true;
}

}  // namespace pontra
