// SPDX-License-Identifier: GPL-3.0-or-later
// The structural editing operations of a ladder view: insert a rung, a branch, a leg or
// an instruction, delete the selection, move it by keyboard, and commit the in-place
// editors of a rung comment and of an operand. Each works on the view's selection.
//
// Every edit passes the busy guard (ignored while a download runs) and the debug-mode
// guard (refused with a message online), takes an undo snapshot before it changes the
// rungs, sets the new selection, marks the project modified and asks for a repaint. An
// operation that finds nothing to do changes nothing and takes no snapshot. Moves take
// no snapshot and leave the modified mark alone.
#pragma once

#include <string>
#include <string_view>

#include "model/InstructionBar.h"

namespace pontra {

class CElement;
class CMainFrame;
class LadderView;

// The guards of every edit (CommandGuards.h): false (and nothing else) while a download
// runs; false with the refusal message while online in debug mode.
bool EditGuardsPass(CMainFrame& frame);

// A new rung after the current rung; it becomes current, its rung start the selection.
bool InsertRung(LadderView& view);
// A two-leg branch after the selection; its close marker becomes the selection, so the
// next instruction follows the branch.
bool InsertBranch(LadderView& view);
// A leg after the selection's leg, when the selection is in a leg.
bool AddBranchLeg(LadderView& view);
// An instruction of `kind` after the selection; only kinds the instruction bar offers
// for the project's controller type, and RFB only in a function block.
bool InsertInstruction(LadderView& view, int kind);
// A button of the instruction bar: buttons 0-2 are the structural operations.
bool PressInstructionButton(LadderView& view, const BarButton& button);
// The Delete key and the context menus' "Delete".
bool DeleteSelection(LadderView& view);

enum class MoveKey { Left, Right, Up, Down, Home, End, PageUp, PageDown };
// True when the selection changed; the view then scrolls it into sight. Page Up and Page
// Down only scroll the view and never change the selection.
bool MoveSelection(LadderView& view, MoveKey key);

// A click: selects `element` when it belongs to the view's rungs, and makes its rung
// the current rung.
bool SelectElement(LadderView& view, CElement* element);

// Commit of the rung comment editor over the current rung.
bool EditRungComment(LadderView& view, const std::string& comment);

// A rung dragged by its number: rung `from` moves to index `to` of the rung list (one
// undo step); it becomes the current rung and its rung start the selection.
bool MoveRung(LadderView& view, int from, int to);

// Commit of the in-place operand editor: operand `operand` of `element` (in the view's
// rungs) becomes `text`, trimmed of surrounding blanks; an empty text puts back the
// "not filled in" mark "?". Characters that no operand uses are refused with
// kOperandRefusal, because the rung text form could not carry them.
bool EditOperand(LadderView& view, CElement& element, int operand, std::string_view text);
constexpr const char* kOperandRefusal =
    "Operand can use only digits, alphabetical and '_', '.', '[', ']', ',', '#', '+', '-' symbols!";

// Re-anchors the selection on the view's rungs: a selection that is not among them (or
// none) becomes the first rung's rung start, and the current rung follows the selection.
void NormalizeSelection(LadderView& view);

}  // namespace pontra
