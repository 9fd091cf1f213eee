// SPDX-License-Identifier: GPL-3.0-or-later
// An independent reading of a program image, as a module's header check and prescan
// would make it: it knows the layout and the instruction lengths on its own (it does not
// use the builder's headers) and lists every property the image breaks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pontra::test {

struct CheckedUnit {
    int startWord = 0;      // word index of the unit's first word
    int instanceSize = -1;  // function blocks: the header's instance size
    int rungs = 0;
};

struct ImageReport {
    std::vector<std::string> problems;
    std::vector<CheckedUnit> units;
    std::string name;  // from the trailer
    int codeSize = 0, tagsSize = 0, nonVolatileStart = 0, nonVolatileSize = 0;
    int configLength = 0;  // 0 when there is no configuration section
};

ImageReport CheckImage(const std::vector<uint8_t>& file);

}  // namespace pontra::test
