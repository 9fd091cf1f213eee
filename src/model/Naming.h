// SPDX-License-Identifier: GPL-3.0-or-later
// Naming rules the editors enforce. Each check returns the message to show, or an
// empty text when the name is acceptable.
#pragma once

#include <string>
#include <string_view>

#include "model/Tag.h"

namespace pontra {

class CProject;

// Letters, digits and "_" only, not starting with a digit (the empty text passes).
bool IsValidSymbolName(std::string_view name);
bool HasBraces(std::string_view text);

std::string CheckTagName(const TagList& list, std::string_view name);
std::string CheckDataTypeExists(const CProject& project, std::string_view type);
std::string CheckTagDescription(std::string_view description);
std::string CheckRungComment(std::string_view comment);
// Using `memberType` inside type `owner` would make the type contain itself.
std::string CheckTypeRecursion(const CProject& project, std::string_view owner, std::string_view memberType);
std::string CheckComponentName(const CProject& project, std::string_view name);

// A type name is known: an entry of the type list, or an array of one.
bool DataTypeExists(const CProject& project, std::string_view type);

}  // namespace pontra
