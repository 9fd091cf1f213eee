// SPDX-License-Identifier: GPL-3.0-or-later
// Renaming a tag together with the texts that refer to it: alias and base-tag texts,
// ladder operands and Structured Text identifiers of the places that see the tag.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/Ladder.h"
#include "model/Tag.h"

namespace pontra {

class CProject;
class CUnit;

// The places a tag name is seen from: the main program (program and controller tags,
// main rungs) or one unit (its tags, rungs or Structured Text lines).
struct ReferenceScope {
    std::vector<TagList*> tags;
    std::vector<RungList*> rungs;
    std::vector<std::vector<std::string>*> texts;
};

ReferenceScope MainScope(CProject& project);
// For a user type both its member declarations and its type-list entry.
ReferenceScope UnitScope(CProject& project, CUnit& unit);

// A reference names `oldName` when it equals it or continues with "." or "[" (a member,
// bit or element of it); the prefix is replaced. True when the text changed.
bool RenameReference(std::string& text, std::string_view oldName, std::string_view newName);

// Renames every reference in the scope: alias and base-tag texts of the scope's tags
// (members included), operands of every element (legs included), and Structured Text
// identifiers outside comments that are not members of something else.
void RenameReferences(const ReferenceScope& scope, std::string_view oldName, std::string_view newName);

}  // namespace pontra
