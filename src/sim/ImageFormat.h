// SPDX-License-Identifier: GPL-3.0-or-later
// The program image as the soft module decodes it. The numbers (header fields, instruction
// codes, type codes, markers) are the builder's, from build/ImageFormat.h, which also draws
// the instruction word; this adds how the module checks and runs each instruction, its
// status codes and its limits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "build/ImageFormat.h"

namespace pontra::sim {

using namespace pontra::image;

constexpr size_t kConnectionKindOffset = 5;  // within a connection record
constexpr uint32_t kControllerAreaSize = 384;
constexpr uint32_t kMaxTagMemory = 10000;
constexpr uint32_t kMaxNonVolatile = 96;
constexpr uint32_t kFirstScanByte = 248;  // FirstLadderExec, bit 0

// How the module checks and decodes an instruction.
enum class Family : uint8_t {
    Structural,  // 1 word
    Bit,         // 2 words: bit position in byte 1, 4-aligned address
    BitPair,     // 3 words: OSR/OSF, bit positions in bytes 1 and 2
    InvertRc,    // 2 words, the second 0
    Timer,       // 2 words: address of a 12-byte TIMER or COUNTER
    General,     // 1 + operand count words: type codes in byte 1, byte 2 and the low nibble
    ReadReg,     // 3 words: register number, destination (type in byte 2)
    WriteReg,    // 3 words: source (type in byte 1), register number
    Jump,        // 2 words: target; byte 1 = 1 allows a backward target
    Call,        // 3 words: target header, instance address
    FbHeader,    // 2 words: instance size
    Index1,      // 5 words: base, index, count, scratch
    Index2,      // 7 words: base, first index, second index, first size, second size, scratch
};

struct OpInfo {
    uint8_t code;
    const char* name;
    Family family;
    uint8_t words;
    uint8_t reads;   // general family: operands read first ...
    uint8_t writes;  // ... then operands written (0 or 1)
};

// The instruction this module runs with that code, or null: codes the builder never
// produces (MCR, FOR) are invalid here.
const OpInfo* FindOp(uint8_t code);

inline uint8_t OpOf(uint32_t word) { return static_cast<uint8_t>(word & 0xFF); }
inline uint8_t Byte1(uint32_t word) { return static_cast<uint8_t>((word >> 8) & 0xFF); }
inline uint8_t Byte2(uint32_t word) { return static_cast<uint8_t>((word >> 16) & 0xFF); }
inline uint8_t Nibble(uint32_t word) { return static_cast<uint8_t>((word >> 24) & 0x0F); }
inline bool HasMark(uint32_t word) { return (word >> 24 & 0xF0) == kWordMark; }

// Type code of general-family operand i (0, 1 or 2).
inline uint8_t OperandType(uint32_t word, int i) { return i == 0 ? Byte1(word) : i == 1 ? Byte2(word) : Nibble(word); }

enum HeaderError : uint16_t {
    kHeaderOk = 0,
    kHeaderFamilyError = 1,    // controller family not accepted by this module
    kHeaderBeyondFile = 2,     // sizes in the header exceed the file
    kHeaderCodeSizeError = 3,
    kHeaderTagSizeError = 5,
    kHeaderNotDword = 7,
    kHeaderTagMemory = 8,      // the tag memory does not fit the module
    kHeaderNonVolatileSizeError = 9,
    kHeaderNonVolatileLimit = 10,
    kHeaderConnectionsError = 100,
};

enum PrescanError : uint16_t {
    kPrescanOk = 0,
    kPrescanFirstNotRung = 1,
    kPrescanInvalidCode = 2,
    kPrescanBstBnd = 3,
    kPrescanBstNxb = 4,
    kPrescanBranchStack = 5,
    kPrescanBitOver31 = 6,
    kPrescanBitAddress = 7,
    kPrescanTimerAddress = 8,
    kPrescanOperandAddress = 9,
    kPrescanNotTag = 10,
    kPrescanJump = 11,
    kPrescanLength = 13,
    kPrescanMissingEnd = 14,
    kPrescanRungRnd = 15,
    kPrescanAlignment = 17,
    kPrescanOperandType = 18,
    kPrescanCallAddress = 21,
    kPrescanArraySize = 35,
};

enum RuntimeError : uint16_t {
    kRuntimeEndOfStack = 100,
    kRuntimeDivideByZero = 103,
    kRuntimeArrayIndex = 104,
};

// Limits of the machine.
constexpr int kMaxBranchDepth = 32;
constexpr int kMaxCallDepth = 32;
constexpr uint64_t kMaxInstructionsPerScan = 10'000'000;

}  // namespace pontra::sim
