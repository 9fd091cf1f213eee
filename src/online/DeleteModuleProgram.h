// SPDX-License-Identifier: GPL-3.0-or-later
// The "Delete Module Program" command: a TFTP write request for the module's program
// file that announces 0 bytes; once the module acknowledges it, the program is gone.
#pragma once

namespace pontra {

class CMainFrame;

// True when the module acknowledged the request. Ignored while a download or another
// online command runs.
bool DeleteModuleProgram(CMainFrame& frame);

} // namespace pontra
