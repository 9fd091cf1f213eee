// SPDX-License-Identifier: GPL-3.0-or-later
// Data type rules: predefined types, elementary types, arrays and tag members.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/Tag.h"

namespace pontra {

class CProject;

// BOOL, SINT, INT, DINT, BYTE, WORD and DWORD.
bool IsElementary(std::string_view type);
// Bits of an elementary type; 0 for any other name.
int ElementaryBits(std::string_view type);

// Appends the predefined types (BOOL ... Zone) with their members.
void AddPredefinedTypes(TypeList& types);
bool IsPredefinedType(std::string_view name);

// "DINT[10]" or "DINT[3,4]": element type and one or two dimensions.
struct ArrayType {
    std::string element;
    int dim1 = 0;
    int dim2 = 0;  // 0 for a one-dimensional array
    int Count() const { return dim2 ? dim1 * dim2 : dim1; }
};
// Parses an array type text; none when the text is no well-formed array of one or two
// positive dimensions.
std::optional<ArrayType> ParseArrayType(std::string_view type);

// Rebuilds a tag's member list from its type: bit members of integers (unless alias),
// members of TIMER, COUNTER, user types and function blocks, elements of arrays.
void BuildMembers(const CProject& project, CTag& tag);
// The same within a budget: at most `maxNodes` members at all levels. False, with the
// member list cleared, when the type needs more. `built` gets the number built.
bool BuildMembersWithin(const CProject& project, CTag& tag, long maxNodes, long& built);

// Bit size of a type: elementary sizes, Zone 128, TIMER and COUNTER 2, anything else
// the laid-out size of its members.
int TypeBitSize(const CProject& project, std::string_view type);

}  // namespace pontra

namespace pontra {
// The member declarations that instances of a type get: a function block's tags, or
// the members of the type-list entry. Null when the name is neither.
const TagList* MemberDeclarations(const CProject& project, std::string_view type);
}  // namespace pontra
