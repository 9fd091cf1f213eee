// SPDX-License-Identifier: GPL-3.0-or-later
// The size a program image takes in the module's program memory: the header, the code
// and the tag memory, then the sections after them, walked record by record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pontra {

struct ImageSize {
    uint64_t size = 0;     // S: where the walk over the sections ends
    uint32_t tagsSize = 0; // the header's tag memory size
};

// Reads the 180-byte header of the image file at `path` and walks the sections from
// 180 + code size + tag size: each is a type byte, then a 16-bit length (type 1) or a
// 32-bit length (any other type) and that many bytes. A section whose length lies
// beyond the file ends the walk there. None when the file cannot be opened or is
// shorter than a header.
std::optional<ImageSize> MeasureImage(const std::string& path);

// An image of `size` bytes, with the 2-byte CRC it travels with, fits program memory of
// `limit` bytes.
bool FitsProgramMemory(uint64_t size, uint32_t limit);

} // namespace pontra
