// SPDX-License-Identifier: GPL-3.0-or-later
// The code area of a program image: the main program, then every function block in
// project order, each ended by END and its two marker words, with the unit's jumps
// resolved; and the fix-up of the calls once every function block has its address.
#pragma once

#include <vector>

#include "build/CodeBuffer.h"
#include "build/RungCoder.h"

namespace pontra {

class CMainFrame;
class CProject;

// Generates the code of every unit of a laid-out project into `code` and collects its
// calls. False when something was reported (an operand that cannot be encoded, a jump
// error, a buffer overflow).
bool GenerateProgramCode(CMainFrame& frame, CodeBuffer& code, std::vector<CJFB>& calls);

// Writes each callee's code word index into its call; false for a call to no unit.
bool ResolveCalls(const CProject& project, const std::vector<CJFB>& calls, CodeBuffer& code);

}  // namespace pontra
