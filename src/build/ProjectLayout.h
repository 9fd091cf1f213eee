// SPDX-License-Identifier: GPL-3.0-or-later
// The tag memory of a whole project: the controller area, the volatile pass over the
// main program, the working tags, the instance sizes of function blocks, the member
// offsets of user types, the non-volatile pass and the non-volatile members of the
// configuration tag. Every tag's address and bit are written back into the project.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pontra {

class CProject;
class CTag;

struct ProjectLayout {
    int controllerSize = 0;   // R: always 384
    int volatileSize = 0;     // bytes after the controller area up to the non-volatile area
    int nonVolatileSize = 0;
    int totalSize = 0;
    CTag* configTag = nullptr;  // the tag of the configuration screen structure type, if any
    // Initial contents of tag memory 0 .. totalSize - 1 (stores beyond 9999 are dropped).
    std::vector<uint8_t> memory;

    int NonVolatileStart() const { return controllerSize + volatileSize; }
};

constexpr int kMaxNonVolatileSize = 96;

// Runs the whole-project layout. False (and no message) when a data-type unit's type is
// missing from the type list; the limits are checked separately.
bool LayOutProject(CProject& project, ProjectLayout& layout);

// The message for a layout over the limits, or an empty text: the total size is checked
// first and, when it fails, the non-volatile size is not.
std::string LayoutLimitMessage(const ProjectLayout& layout);

}  // namespace pontra
