// SPDX-License-Identifier: GPL-3.0-or-later
// The "Verify Program" and "Make .bin File" commands: their guards, questions and
// messages around BuildProgramImage.
#pragma once

#include <functional>

namespace pontra {

class CMainFrame;

// "Verify Program": the build with header only. Ignored (false) while a download runs.
bool VerifyProgramCommand(CMainFrame& frame);

// "Make .bin File": refuses in debug mode and for an untitled project, offers to save a
// modified project (with `save`, by default the Save command), builds the image beside
// the project and reports the outcome in the output window and a message. Ignored while
// a download runs. True when the file was written.
bool MakeBinFileCommand(CMainFrame& frame, const std::function<bool()>& save = {});

}  // namespace pontra
