// SPDX-License-Identifier: GPL-3.0-or-later
// The check of an array-element reference "name[i]" or "name[i,j]", where an index is a
// tag name or a decimal constant. Shared by the ladder verifier and the Structured Text
// compiler, which report the same texts in their own line formats.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace pontra {

// The data type of a tag by name; empty when there is no such tag.
using TagTypeLookup = std::function<std::string(std::string_view name)>;

// The text of the first rule the reference breaks ("Invalid array", "Invalid array
// type", "Invalid array dimension", the index texts), or empty when it passes.
std::string CheckArrayReference(std::string_view reference, const TagTypeLookup& typeOf);

}  // namespace pontra
