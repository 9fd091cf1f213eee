// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the Structured Text compiler: a function block's text becomes ladder
// rungs of the unit, verified and built like any ladder unit.
#pragma once

namespace pontra {

class CMainFrame;
class CUnit;

// Replaces the unit's rungs by the compiled text; errors go to the output window as
// "Error at line %d : %s : %s" lines. True when nothing was reported.
bool CompileStructuredTextUnit(CMainFrame& frame, CUnit& unit);

}  // namespace pontra
