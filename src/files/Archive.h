// SPDX-License-Identifier: GPL-3.0-or-later
// The little-endian archive of project files and clipboard payloads: unsigned 8-, 16-
// and 32-bit words and length-prefixed single-byte texts, no alignment, no tags.
//
// Text lengths take one of three forms: below 255 one byte; 255 to 65533 the byte 0xFF
// and a u16; longer the byte 0xFF, the u16 0xFFFF and a u32. The u16 0xFFFE never
// stands for a length (the u16 form ends at 65533), so a reader meeting it fails.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class ArchiveWriter {
public:
    void U8(uint8_t value) { bytes_.push_back(value); }
    void U16(uint16_t value);
    void U32(uint32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void Text(std::string_view text);
    void Raw(std::string_view bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

// Reads from a byte block it does not own. The first failure (the block ends early, a
// count or length does not fit the bytes left) is kept with its message and offset;
// every later read returns zero or empty, so callers check Ok() where a loop or an
// allocation depends on what was read.
class ArchiveReader {
public:
    explicit ArchiveReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    std::string Text();
    // `length` raw characters (the length was read by the caller).
    std::string Chars(uint32_t length);

    // A list count whose records take at least `minRecordSize` bytes each: fails unless
    // that many records could still fit, so no caller allocates more than the file holds.
    uint32_t Count(uint32_t minRecordSize, const char* what);

    // Records read so far from this buffer, for the limits over a whole file (Records.h).
    struct Tally {
        uint32_t elements = 0;
        uint32_t derivedIntegerBytes = 0;
    } tally;

    bool Ok() const { return error_.empty(); }
    void Fail(const std::string& message);
    const std::string& Error() const { return error_; }
    size_t Offset() const { return offset_; }
    size_t Remaining() const { return bytes_.size() - offset_; }

private:
    bool Need(size_t count, const char* what);

    std::span<const uint8_t> bytes_;
    size_t offset_ = 0;
    std::string error_;
};

}  // namespace pontra
