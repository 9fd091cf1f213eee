// SPDX-License-Identifier: GPL-3.0-or-later
// The text form of rungs: one line per instruction, branches as BST / NXB / BND, every
// top-level rung closed by RND and an empty line. Component export writes rung bodies
// in it; component import reads them back.
#pragma once

#include <string>

#include "model/Ladder.h"

namespace pontra {

// Appends the text of a rung or leg. A top-level rung (no parent) ends with "RND;" and
// an empty line; a leg is written without them, as part of its branch.
void AppendRungText(const CRung& rung, std::string& out);

// The text of one rung.
std::string RungText(const CRung& rung);

}  // namespace pontra
