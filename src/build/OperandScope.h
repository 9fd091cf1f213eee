// SPDX-License-Identifier: GPL-3.0-or-later
// What an operand text names inside one program unit: the tag lists the unit sees, the
// lookup of a tag (or member) by its full text, alias resolution, the enclosing tags
// and the array-element form "Name[i]" / "Name[i,j]". Verification and code generation
// both read operands through this.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Tag.h"

namespace pontra {

class CProject;
class CUnit;
class TagNameIndex;

// The tags one unit's code can name.
struct UnitScope {
    CProject* project = nullptr;
    CUnit* unit = nullptr;           // null for the main program
    std::vector<TagList*> lists;     // searched in this order
    TagList* scratch = nullptr;      // where the indexed-access scratch tags live
    // Set by IndexTagNames; shared by copies of the scope.
    std::shared_ptr<TagNameIndex> index;

    bool IsMainProgram() const { return unit == nullptr; }
};

// Main program: program tags, controller tags, then the working (scratch) tags.
UnitScope MainProgramScope(CProject& project);
// Function block: its tags, its second tag list and, for Structured Text, the
// compiler's variables.
UnitScope FunctionBlockScope(CProject& project, CUnit& unit);

// A tag found by its text together with the tags that enclose it, outermost first.
struct TagRef {
    CTag* tag = nullptr;
    std::vector<CTag*> parents;

    explicit operator bool() const { return tag != nullptr; }
};

// The tag or member whose full name is exactly `text` ("T", "T.PRE", "A[2]", "M.X.3").
TagRef FindOperandTag(const UnitScope& scope, std::string_view text);

// From now on FindOperandTag looks the scope's tags up through an index of their names
// instead of searching every list, with the same results. For callers that look up
// every operand of a unit (verification, code generation): while the index is in use,
// the lists may only grow at their ends (scratch tags), which it follows.
void IndexTagNames(UnitScope& scope);

// The tag an alias names (following chains of aliases); the tag itself when it is no
// alias; empty when an alias names nothing. A member of a structure or instance first
// looks for its alias among its siblings, as a function block's alias names the block's
// own tag.
TagRef ResolveAlias(const UnitScope& scope, const TagRef& ref);

// Number of enclosing tags that are function-block instances.
int InstanceDepth(const CProject& project, const TagRef& ref);

// Type code of an operand of the given data type (0 BOOL, 1 SINT, 2 INT, 4 DINT, 8 array).
uint8_t OperandTypeCode(std::string_view dataType);

// "Name[i]" or "Name[i,j]".
struct ArrayOperand {
    std::string name;
    std::vector<std::string> indexes;
};
// None when the text has no well-formed trailing index part.
std::optional<ArrayOperand> ParseArrayOperand(std::string_view text);

// A decimal array index written as a constant ("3", "-1"); none for anything else.
std::optional<long long> ConstantIndex(std::string_view text);

}  // namespace pontra
