// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/CodeBuffer.h"

namespace pontra {

bool CodeBuffer::Emit(uint32_t word) {
    if (overflowed_ || static_cast<size_t>(position_) + 4 > bytes_.size()) {
        overflowed_ = true;
        return false;
    }
    for (int i = 0; i < 4; ++i) bytes_[static_cast<size_t>(position_ + i)] = static_cast<uint8_t>(word >> (8 * i));
    position_ += 4;
    return true;
}

void CodeBuffer::Patch(int position, uint32_t word) {
    if (position < 0 || position + 4 > position_) return;
    for (int i = 0; i < 4; ++i) bytes_[static_cast<size_t>(position + i)] = static_cast<uint8_t>(word >> (8 * i));
}

void CodeBuffer::PatchByte(int position, uint8_t value) {
    if (position < 0 || position >= position_) return;
    bytes_[static_cast<size_t>(position)] = value;
}

uint32_t CodeBuffer::WordAt(int position) const {
    if (position < 0 || position + 4 > position_) return 0;
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i) word |= uint32_t{bytes_[static_cast<size_t>(position + i)]} << (8 * i);
    return word;
}

std::vector<uint8_t> CodeBuffer::Code() const {
    return std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + position_);
}

}  // namespace pontra
