// SPDX-License-Identifier: GPL-3.0-or-later
// A small assembler for program images, so that tests state the code they mean
// instruction by instruction instead of as hex.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/Crc16.h"
#include "sim/ImageFormat.h"

namespace pontra::sim::test {

struct Operand {
    uint8_t type;
    uint32_t word;
};
inline Operand Imm(int32_t v) { return {kTypeBoolOrImmediate, static_cast<uint32_t>(v)}; }
inline Operand Sint(uint32_t a) { return {kTypeSint, a}; }
inline Operand Int(uint32_t a) { return {kTypeInt, a}; }
inline Operand Dint(uint32_t a) { return {kTypeDint, a}; }

struct Code {
    std::vector<uint32_t> w;

    uint32_t Here() const { return static_cast<uint32_t>(w.size()); }
    Code& Word(uint32_t v) { w.push_back(v); return *this; }
    Code& Op(uint8_t code, uint8_t b1 = 0, uint8_t b2 = 0, uint8_t nibble = 0) {
        return Word(code | b1 << 8 | b2 << 16 | static_cast<uint32_t>(0xA0 | nibble) << 24);
    }
    Code& Rung() { return Op(kRung); }
    Code& Rnd() { return Op(kRnd); }
    Code& Bst() { return Op(kBst); }
    Code& Nxb() { return Op(kNxb); }
    Code& Bnd() { return Op(kBnd); }
    // A BOOL at byte address a, bit b, encoded as the builder does.
    Code& Bit(uint8_t op, uint32_t a, int b) {
        return Op(op, static_cast<uint8_t>((a % 4) * 8 + b)).Word(a - a % 4);
    }
    Code& Timer(uint8_t op, uint32_t a) { return Op(op).Word(a); }
    Code& Gen(uint8_t op, std::initializer_list<Operand> ops) {
        std::array<uint8_t, 3> t{};
        size_t i = 0;
        for (const Operand& o : ops) t[i++] = o.type;
        Op(op, t[0], t[1], t[2]);
        for (const Operand& o : ops) Word(o.word);
        return *this;
    }
    Code& Jmp(uint32_t target, bool backward = false) { return Op(kJmp, backward ? 1 : 0).Word(target); }
    Code& Jfb(uint32_t target, uint32_t instance) { return Op(kJfb).Word(target).Word(instance); }
    Code& FbHeader(uint32_t instanceSize) { return Op(kFunctionBlockHeader).Word(instanceSize); }
    Code& Rfb() { return Op(kRfb); }
    // A function block's closing rung, END and the markers.
    Code& EndFb(bool last) { return Rung().Rfb().Rnd().End(last); }
    Code& End(bool last) {
        Op(kEnd);
        return last ? Word(kMarkerLastFirst).Word(kMarkerLastSecond) : Word(kMarkerMoreFirst).Word(kMarkerMoreSecond);
    }
};

// An image file: header, code, tag memory (the first 384 bytes are the controller area),
// name trailer.
struct Image {
    Code code;
    std::vector<uint8_t> tags = std::vector<uint8_t>(512, 0);
    uint32_t nonVolatileSize = 0;
    std::string family = "Vessa";
    uint32_t timeStamp = 0x5F00AB12;
    std::array<uint8_t, 4> connectionKinds{};
    std::string name = "PLCDATA_Test.bin";  // the trailer

    void SetDint(uint32_t a, int32_t v) {
        for (int i = 0; i < 4; ++i) tags[a + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> f(kHeaderSize, 0);
        auto put = [&f](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
        };
        const auto codeSize = static_cast<uint32_t>(code.w.size() * 4);
        const auto tagSize = static_cast<uint32_t>(tags.size());
        put(kHeaderTimeStamp, timeStamp);
        for (size_t i = 0; i < family.size() && i < kHeaderNameLength; ++i) f[kHeaderFamily + i] = family[i];
        put(kHeaderCodeOffset, kHeaderSize);
        put(kHeaderCodeSize, codeSize);
        put(kHeaderTagsOffset, kHeaderSize + codeSize);
        put(kHeaderTagsSize, tagSize);
        put(kHeaderNonVolatileStart, tagSize - nonVolatileSize);
        put(kHeaderNonVolatileSize, nonVolatileSize);
        f[0x45] = 3;
        put(0x90, 0xFFFFFFFF);
        for (size_t i = 0; i < 4; ++i) f[kHeaderConnections + 8 * i + kConnectionKindOffset] = connectionKinds[i];
        for (uint32_t v : code.w) f.insert(f.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
        f.insert(f.end(), tags.begin(), tags.end());
        f.insert(f.end(), {1, static_cast<uint8_t>(name.size()), 0});
        f.insert(f.end(), name.begin(), name.end());
        return f;
    }

    // The file as it travels to a module: followed by its CRC, low byte first.
    std::vector<uint8_t> WithCrc() const {
        std::vector<uint8_t> f = Bytes();
        const uint16_t crc = Crc16Modbus(f);
        f.push_back(static_cast<uint8_t>(crc));
        f.push_back(static_cast<uint8_t>(crc >> 8));
        return f;
    }
};

}  // namespace pontra::sim::test
