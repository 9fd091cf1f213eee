// SPDX-License-Identifier: GPL-3.0-or-later
// The "Download Program" command: builds the open project's program image, asks the
// module at the project's address who it is (type, mode, variant, firmware, program
// memory), and uploads the image over TFTP with its progress in the download bar and
// the output window.
#pragma once

#include <functional>

namespace pontra {

class CMainFrame;

// Runs the whole command; `save` saves a modified project when the user agrees (by
// default the Save command). Ignored while a download or another online command runs.
// True when the module took the image.
bool DownloadProgram(CMainFrame& frame, const std::function<bool()>& save = {});

// The download bar's position after block `step` of `blocks`: 10 plus 80 / blocks
// (integer division) per block, so that with more than 80 blocks it stays at 10 until
// the final 100.
int DownloadProgressPosition(int step, int blocks);

} // namespace pontra
