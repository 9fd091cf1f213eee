// SPDX-License-Identifier: GPL-3.0-or-later
// One TFTP packet as built or received: a 1024-byte buffer and its length, -1 when the
// packet is invalid. Appends that would not fit invalidate the packet instead of
// writing past the buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace pontra {

constexpr int kTftpPacketSize = 1024;
constexpr int kTftpBlockSize = 512;
constexpr int kTftpMaxFileName = 512;

enum TftpOpcode : uint16_t {
    kTftpReadRequest = 1,
    kTftpWriteRequest = 2,
    kTftpData = 3,
    kTftpAck = 4,
    kTftpError = 5,
};

// The error code a module sends instead of the last acknowledgement of an upload.
constexpr uint16_t kTftpErrorCountsAsAck = 10;

class TftpPacket {
public:
    void Clear() { length_ = 0; }
    bool IsValid() const { return length_ >= 0; }
    int Length() const { return length_; }
    const uint8_t* Data() const { return buffer_.data(); }
    uint8_t* Buffer() { return buffer_.data(); }
    // A received length; 1025 or more invalidates the packet.
    void SetLength(long length);

    bool AddByte(uint8_t value);
    bool AddWord(uint16_t value); // high byte first
    // A run of bytes; fails (and invalidates) when the length would reach 1024.
    bool AddBytes(const void* data, size_t length);
    // The text and its terminating 0.
    bool AddString(const std::string& text);

    // The 16-bit number at `offset` (high byte first); 0 beyond the packet.
    uint16_t WordAt(int offset) const;
    uint16_t Opcode() const { return WordAt(0); }

    // Requests carry "octet" and the "tsize" option with `size` as decimal text. False
    // (and an invalid packet) when the name is longer than 512 characters.
    bool MakeRequest(TftpOpcode opcode, const std::string& remoteName, long size);
    bool MakeData(uint32_t block, const uint8_t* data, size_t length);
    bool MakeAck(uint32_t block);
    // The message text of an error packet, up to its 0 or the end of the packet.
    std::string ErrorMessage() const;

private:
    std::array<uint8_t, kTftpPacketSize> buffer_{};
    int length_ = 0;
};

} // namespace pontra
