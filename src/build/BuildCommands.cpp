// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/BuildCommands.h"

#include "build/ProgramImage.h"
#include "shell/CommandGuards.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

bool VerifyProgramCommand(CMainFrame& frame) {
    if (!PassesBusyGuard(frame, Command::VerifyProgram)) return false;
    std::string unused;
    return BuildProgramImage(frame, unused, true);
}

bool MakeBinFileCommand(CMainFrame& frame, const std::function<bool()>& save) {
    if (!PassesGuards(frame, Command::MakeBinFile)) return false;
    Host& host = frame.host();
    if (frame.doc().pathName.empty()) {
        host.Message("The project is Untitled. Please first save the project and than use Make .bin File.");
        return false;
    }
    if (frame.doc().modified) {
        if (!host.AskOkCancel("The project is modified. Do you want to save it before Make .bin File?")) return false;
        if (!(save ? save() : SaveDocument(frame))) return false;
    }
    std::string path;
    if (BuildProgramImage(frame, path, false)) {
        const std::string done = "File " + path + " is created successfully.";
        frame.output.AddOutputLine(done);
        host.Message(done);
        return true;
    }
    frame.output.AddOutputLine("Make .bin File Error!");
    host.Message("Make .bin File Error! See Output window for description.");
    return false;
}

}  // namespace pontra
