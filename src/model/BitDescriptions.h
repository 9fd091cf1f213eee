// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed description tables of the predefined controller tags' bits (and of the
// elements of Oskel's MotorProfileZero).
#pragma once

#include <string_view>

namespace pontra {

constexpr int kDescriptionTableCount = 18;

// Entry `index` of table `table` (0-17); empty when out of range or unset.
std::string_view DescriptionTableEntry(int table, int index);
// Number of entries of a table: 32 for tables 0-15, 16 for table 16, 8 for table 17.
int DescriptionTableSize(int table);

// The table that describes a predefined tag of a controller type, or -1.
int DescriptionTableFor(std::string_view controllerType, std::string_view tagName);

}  // namespace pontra
