// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/TftpPacket.h"

#include <cstring>

namespace pontra {

void TftpPacket::SetLength(long length) {
    length_ = length < 0 || length > kTftpPacketSize ? -1 : static_cast<int>(length);
}

bool TftpPacket::AddByte(uint8_t value) {
    if (length_ < 0 || length_ >= kTftpPacketSize) {
        length_ = -1;
        return false;
    }
    buffer_[static_cast<size_t>(length_++)] = value;
    return true;
}

bool TftpPacket::AddWord(uint16_t value) {
    return AddByte(static_cast<uint8_t>(value >> 8)) && AddByte(static_cast<uint8_t>(value));
}

bool TftpPacket::AddBytes(const void* data, size_t length) {
    if (length_ < 0 || length >= static_cast<size_t>(kTftpPacketSize - length_)) {
        length_ = -1;
        return false;
    }
    if (length) std::memcpy(buffer_.data() + length_, data, length);
    length_ += static_cast<int>(length);
    return true;
}

bool TftpPacket::AddString(const std::string& text) {
    return AddBytes(text.data(), text.size()) && AddByte(0);
}

uint16_t TftpPacket::WordAt(int offset) const {
    if (offset < 0 || offset + 2 > length_) return 0;
    return static_cast<uint16_t>(buffer_[static_cast<size_t>(offset)] << 8 |
                                 buffer_[static_cast<size_t>(offset) + 1]);
}

bool TftpPacket::MakeRequest(TftpOpcode opcode, const std::string& remoteName, long size) {
    Clear();
    if (remoteName.size() > kTftpMaxFileName) {
        length_ = -1;
        return false;
    }
    return AddWord(opcode) && AddString(remoteName) && AddString("octet") && AddString("tsize") &&
           AddString(std::to_string(size));
}

bool TftpPacket::MakeData(uint32_t block, const uint8_t* data, size_t length) {
    Clear();
    return AddWord(kTftpData) && AddWord(static_cast<uint16_t>(block)) && AddBytes(data, length);
}

bool TftpPacket::MakeAck(uint32_t block) {
    Clear();
    return AddWord(kTftpAck) && AddWord(static_cast<uint16_t>(block));
}

std::string TftpPacket::ErrorMessage() const {
    if (length_ <= 4) return {};
    const char* text = reinterpret_cast<const char*>(buffer_.data() + 4);
    return std::string(text, strnlen(text, static_cast<size_t>(length_ - 4)));
}

} // namespace pontra
