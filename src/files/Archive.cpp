// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Archive.h"

namespace pontra {

namespace {
constexpr uint8_t kLongText = 0xFF;
constexpr uint16_t kWideMarker = 0xFFFE;
constexpr uint16_t kU32Length = 0xFFFF;
}  // namespace

void ArchiveWriter::U16(uint16_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void ArchiveWriter::U32(uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void ArchiveWriter::Text(std::string_view text) {
    const size_t n = text.size();
    if (n < kLongText) {
        U8(static_cast<uint8_t>(n));
    } else if (n < kWideMarker) {
        U8(kLongText);
        U16(static_cast<uint16_t>(n));
    } else {
        U8(kLongText);
        U16(kU32Length);
        U32(static_cast<uint32_t>(n));
    }
    Raw(text);
}

void ArchiveReader::Fail(const std::string& message) {
    if (error_.empty()) error_ = message + " (at byte " + std::to_string(offset_) + ")";
}

bool ArchiveReader::Need(size_t count, const char* what) {
    if (!Ok()) return false;
    if (count <= Remaining()) return true;
    Fail(std::string("the file ends inside ") + what);
    return false;
}

uint8_t ArchiveReader::U8() {
    if (!Need(1, "a byte field")) return 0;
    return bytes_[offset_++];
}

uint16_t ArchiveReader::U16() {
    if (!Need(2, "a 16-bit field")) return 0;
    const uint16_t value = static_cast<uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
    offset_ += 2;
    return value;
}

uint32_t ArchiveReader::U32() {
    if (!Need(4, "a 32-bit field")) return 0;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes_[offset_ + static_cast<size_t>(i)];
    offset_ += 4;
    return value;
}

std::string ArchiveReader::Chars(uint32_t length) {
    if (!Ok()) return {};
    if (length > Remaining()) {
        Fail("a text of " + std::to_string(length) + " characters does not fit the " + std::to_string(Remaining()) +
             " bytes left");
        return {};
    }
    std::string text(reinterpret_cast<const char*>(bytes_.data() + offset_), length);
    offset_ += length;
    return text;
}

std::string ArchiveReader::Text() {
    // Longer forms are accepted for short lengths too: another writer need not pick the
    // shortest form.
    uint32_t length = U8();
    if (length == kLongText) {
        length = U16();
        if (length == kWideMarker) {
            Fail("a text length marker 0xFFFE (not a single-byte text)");
            return {};
        }
        if (length == kU32Length) length = U32();
    }
    return Chars(length);
}

uint32_t ArchiveReader::Count(uint32_t minRecordSize, const char* what) {
    const uint32_t count = U32();
    if (!Ok()) return 0;
    if (static_cast<uint64_t>(count) * minRecordSize > Remaining()) {
        Fail(std::string("a list of ") + std::to_string(count) + " " + what + " does not fit the " +
             std::to_string(Remaining()) + " bytes left");
        return 0;
    }
    return count;
}

}  // namespace pontra
