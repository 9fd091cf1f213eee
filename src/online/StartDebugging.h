// SPDX-License-Identifier: GPL-3.0-or-later
// The "Debug" command: takes the project online in two halves. The first half checks
// over the register protocol that the module holds a program and asks for its runtime
// status; the second half runs when that status arrives (or fails): no header or
// prescan error, the same project time stamp (else the offer to download), the program
// built in memory for the live addresses, the module's program read back for the
// version check, and then debug mode with its timers.
#pragma once

namespace pontra {

class CMainFrame;

// The first half. Ignored while a download or another online command runs or while
// already online. True when the status request went out.
bool StartDebugging(CMainFrame& frame);

// The second half, called by the status consumers while the start awaits them. True
// when debug mode began.
bool ContinueStart(CMainFrame& frame, bool succeeded);

// The "Debug" toggle button: stops debugging when debugging, starts it otherwise;
// ignored while a download runs.
void ToggleDebug(CMainFrame& frame);

inline constexpr int kOwnVersionMajor = 3;
inline constexpr int kOwnVersionMinor = 0;

} // namespace pontra
