// SPDX-License-Identifier: GPL-3.0-or-later
// The commands New, Open, Close, Save and Save As, and the save operation behind Save and
// Save As: time stamp, revision counter, the "_Backup" copy and the window titles.
// Each returns true when it did what it was asked.
#pragma once

#include <memory>
#include <string>

namespace pontra {

class CMainFrame;
class CProject;

// The prompt before a project is closed: nothing to ask when it is unmodified; Yes
// saves, No discards, Cancel keeps it. Refused silently during a download.
bool QueryCloseDocument(CMainFrame& frame);

// The Close command: after the prompt to save, the project's windows close and no
// project is open.
bool CloseDocument(CMainFrame& frame);

// The project a New command starts with: the defaults of a new project and, as every
// opened project has, the configuration type.
std::unique_ptr<CProject> NewProjectDocument(const std::string& controllerType = "Vessa");

// A new untitled project of the default controller type.
bool NewDocument(CMainFrame& frame);

// Opens `path`, or the file chosen in the open dialog when it is empty. A file that
// cannot be read is reported and the open project stays as it was.
bool OpenDocument(CMainFrame& frame, const std::string& path = {});

// Save: Save As for an untitled project; a project read from an older format version
// asks before it is written in the current one.
bool SaveDocument(CMainFrame& frame);

// Save As to `path`, or to the file chosen in the save dialog when it is empty.
bool SaveDocumentAs(CMainFrame& frame, const std::string& path = {});

// The save operation. Saving over the project's own file keeps the previous file as
// the "_Backup" copy and counts the revision up; another path starts at revision 1.
// The new file is complete on disk before the old one is renamed, so a failure leaves
// the old file and the old backup as they were and the project as it was.
bool SaveDocumentTo(CMainFrame& frame, const std::string& path);

// "P.clp" -> "P_Backup.clp" in the same folder.
std::string BackupPathFor(const std::string& path);

}  // namespace pontra
