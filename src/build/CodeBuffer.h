// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed-size code area the builder fills word by word. A word that would pass the
// end is not written; the buffer remembers the overflow and the build reports it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "build/ImageFormat.h"

namespace pontra {

class CodeBuffer {
public:
    explicit CodeBuffer(int capacity = image::kCodeBufferSize) : bytes_(static_cast<size_t>(capacity), 0) {}

    // Appends a little-endian word at the position; false (and nothing written) when
    // it does not fit.
    bool Emit(uint32_t word);
    // Rewrites a word or a byte already emitted; positions outside what was emitted are ignored.
    void Patch(int position, uint32_t word);
    void PatchByte(int position, uint8_t value);
    uint32_t WordAt(int position) const;

    int Position() const { return position_; }  // bytes emitted so far
    bool Overflowed() const { return overflowed_; }
    // The emitted code (Position() bytes).
    std::vector<uint8_t> Code() const;

private:
    std::vector<uint8_t> bytes_;
    int position_ = 0;
    bool overflowed_ = false;
};

}  // namespace pontra
