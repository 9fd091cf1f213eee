// SPDX-License-Identifier: GPL-3.0-or-later
// The rung generator for function blocks written in Structured Text.
//
// The Structured Text compiler turns a unit's text into ordinary ladder rungs of the
// unit (CUnit::rungs); the image builder encodes them with this generator instead of the
// ladder one. What the compiler may rely on:
//
// - Rungs have no branches: a top-level rung is its rung element followed by
//   instructions; it is encoded RUNG ... RND. Branch elements produce nothing.
// - Tag operands are looked up among the unit's tags, its second tag list (scratch tags
//   of indexed array access) and its Structured Text variables (CUnit::stVariables).
// - An AND, OR, XOR or NOT element whose second operand is kBitOperationMarker is a
//   bit operation on the rung condition, not a word operation:
//       AND b  _BIT_OPERATION   RC = RC AND b      code 27, 2 words (like XIC)
//       OR  b  _BIT_OPERATION   RC = RC OR b       code 28, 2 words
//       XOR b  _BIT_OPERATION   RC = RC XOR b      code 29, 2 words
//       NOT b  _BIT_OPERATION   RC = NOT b         code 30, 2 words
//       NOT "" _BIT_OPERATION   RC = NOT RC        code 20, then one zero word
//   (byte 1 = bit position, word 2 = the bit's 4-aligned address, as for XIC). Any other
//   use of the marker is reported as an operand that cannot be built.
// - JFB is the call only (JFB word, target fix-up, instance address): the compiler
//   writes the parameter copies as separate elements; call parameters are ignored.
// - JMP may jump backwards (to a label in the same or an earlier rung); the builder
//   sets byte 1 of such a JMP to 1. Labels are rungs whose first instruction is LBL.
// - Everything else is encoded exactly as in ladder units (see ImageFormat.h).
#pragma once

#include "build/RungCoder.h"

namespace pontra {

// The second operand that marks AND/OR/XOR/NOT as a bit operation on the rung condition.
constexpr const char* kBitOperationMarker = "_BIT_OPERATION";

// Appends one Structured Text rung (RUNG ... RND) to the coder's buffer.
void GenerateStructuredTextRung(RungCoder& coder, const CRung& rung);

}  // namespace pontra
