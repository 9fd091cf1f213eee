// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ImageSize.h"

#include <fstream>

#include "build/ImageFormat.h"

namespace pontra {

namespace {

// Little-endian value of `bytes` bytes at `at`; none beyond the file.
std::optional<uint32_t> ReadLittle(std::ifstream& file, uint64_t at, int bytes) {
    uint8_t buffer[4] = {};
    file.clear();
    file.seekg(static_cast<std::streamoff>(at));
    if (!file.read(reinterpret_cast<char*>(buffer), bytes)) return std::nullopt;
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | buffer[i];
    return value;
}

} // namespace

std::optional<ImageSize> MeasureImage(const std::string& path) {
    using namespace image;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return std::nullopt;
    const auto length = static_cast<uint64_t>(file.tellg());
    const auto codeSize = ReadLittle(file, kHeaderCodeSize, 4);
    const auto tagsSize = ReadLittle(file, kHeaderTagsSize, 4);
    if (length < kHeaderSize || !codeSize || !tagsSize) return std::nullopt;

    // 64 bits: no length in a damaged file can wrap the position around.
    uint64_t p = uint64_t{kHeaderSize} + *codeSize + *tagsSize;
    while (p + 1 < length) {
        const auto type = ReadLittle(file, p, 1);
        if (!type) break;
        p += 1;
        const auto sectionLength = ReadLittle(file, p, *type == kSectionName ? 2 : 4);
        if (!sectionLength) break;
        p += *sectionLength + (*type == kSectionName ? 2 : 0);
    }
    return ImageSize{p, *tagsSize};
}

bool FitsProgramMemory(uint64_t size, uint32_t limit) {
    return size + 2 <= limit;
}

} // namespace pontra
