// SPDX-License-Identifier: GPL-3.0-or-later
// Controller types: the predefined controller tags of each module type, their fixed
// addresses in the 384-byte controller area and the descriptions of their bits.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CProject;
class CTag;

constexpr int kControllerAreaSize = 384;
constexpr int kControllerImageSize = 600;
constexpr int kConnectionSlotStart = 256;
constexpr int kConnectionSlotSpacing = 32;

struct ControllerTagSpec {
    const char* name;
    const char* type;
    int address;
    int bit;  // BOOL tags only
};

// The ten names the "Controller Properties" dialog offers, in order.
std::span<const char* const> ControllerPropertiesTypes();

// The predefined tag list of a controller type; empty for a name outside the groups.
std::span<const ControllerTagSpec> ControllerTagList(std::string_view controllerType);

// Position of the first connection slot (Tag1) in the type's list; the list length for
// a type without slots ("Aldera").
int FirstConnectionSlot(std::string_view controllerType);

// Description of bit (or element) `index` of predefined tag `tagName` from the type's
// tables; empty when the tag has no table or the entry is empty.
std::string TableDescription(std::string_view controllerType, std::string_view tagName, int index);
bool HasDescriptionTable(std::string_view controllerType, std::string_view tagName);

// Appends the predefined controller tags of the document's type, with members and bit
// descriptions; the connection slots are laid out from their fixed addresses.
void BuildControllerTags(CProject& project);

// Gives every controller tag and member its fixed address and bit, writes the initial
// values into `image` (at least 600 bytes, indexed by absolute address) and returns the
// size of the controller area: 384 for every type.
int LayOutControllerArea(CProject& project, std::vector<uint8_t>& image);

// Replaces the predefined controller tags by those of `newType`, keeping the connection
// slots (with their user settings) in order as far as the new type has slots.
void ApplyControllerType(CProject& project, const std::string& newType);

}  // namespace pontra
