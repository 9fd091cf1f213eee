// The program image as the soft module reads it: header fields, instruction codes and
// encodings, and the module's status codes. All multi-byte values are little-endian.
//
// Instruction word (the first word of every instruction):
//
//   31    28 27    24 23          16 15           8 7            0
//  +--------+--------+--------------+--------------+--------------+
//  |  0xA   | nibble |    byte 2    |    byte 1    |     code     |
//  +--------+--------+--------------+--------------+--------------+
//
//  byte 1, byte 2, nibble: operand information per family (type codes of operands 0, 1
//  and 2, bit positions, flags). The operand words follow the instruction word.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pontra::sim {

// --- header (180 bytes) ----------------------------------------------------------------
constexpr size_t kHeaderSize = 180;
constexpr size_t kHdrTimeStamp = 0x00;
constexpr size_t kHdrFamily = 0x18;
constexpr size_t kFamilyNameSize = 20;
constexpr size_t kHdrCodeOffset = 0x2C;
constexpr size_t kHdrCodeSize = 0x30;
constexpr size_t kHdrTagOffset = 0x34;
constexpr size_t kHdrTagSize = 0x38;
constexpr size_t kHdrNonVolatileStart = 0x3C;
constexpr size_t kHdrNonVolatileSize = 0x40;
constexpr size_t kHdrConnections = 0x94;
constexpr size_t kConnectionRecordCount = 4;
constexpr size_t kConnectionRecordSize = 8;
constexpr size_t kConnectionKindOffset = 5;  // within a record

constexpr uint32_t kControllerAreaSize = 384;
constexpr uint32_t kMaxTagMemory = 10000;
constexpr uint32_t kMaxNonVolatile = 96;
constexpr uint32_t kMaxCodeSize = 40000;  // the builder's code buffer

constexpr uint32_t kFirstScanByte = 248;  // FirstLadderExec, bit 0

// Word pairs that follow END: another unit follows, or this was the last one.
constexpr uint32_t kMarkerMoreA = 0xFFFFFFFF, kMarkerMoreB = 0xABABABAB;
constexpr uint32_t kMarkerLastA = 0x00000000, kMarkerLastB = 0xACACACAC;

// --- instruction codes ------------------------------------------------------------------
enum Op : uint8_t {
    kOpEnd = 0,       // end of a unit's code, then two marker words
    kOpRung = 1,      // rung start: RC = 1
    kOpBst = 2,       // branch start
    kOpBnd = 3,       // branch end
    kOpNxb = 4,       // second branch level
    kOpNxbMore = 5,   // third and later branch levels
    kOpRnd = 6,       // rung end
    kOpSqr = 10,      // square root (general family, 2 operands)
    kOpXic = 11,      // bit family: byte 1 = bit position, word = 4-aligned address
    kOpXio = 12,
    kOpOte = 13,
    kOpOtl = 14,
    kOpOtu = 15,
    kOpOns = 16,
    kOpOsr = 17,      // byte 1/2 = bit positions of storage/output; two address words
    kOpOsf = 18,
    kOpInvertRc = 20, // RC = !RC; one zero operand word
    kOpTon = 21,      // timer family: word = address of the 12-byte TIMER/COUNTER
    kOpTof = 22,
    kOpRto = 23,
    kOpCtu = 24,
    kOpCtd = 25,
    kOpRes = 26,
    kOpBitAnd = 27,   // RC &= bit (bit family encoding)
    kOpBitOr = 28,    // RC |= bit
    kOpBitXor = 29,   // RC ^= bit
    kOpBitNot = 30,   // RC = !bit
    kOpEqu = 31,      // general family: type code of operand i in byte 1, byte 2, nibble
    kOpGeq = 32,
    kOpGrt = 33,
    kOpLeq = 34,
    kOpLes = 35,
    kOpLim = 36,
    kOpMeq = 37,
    kOpNeq = 38,
    kOpAdd = 41,
    kOpSub = 42,
    kOpMul = 43,
    kOpDiv = 44,
    kOpMod = 45,
    kOpNeg = 46,
    kOpAbs = 47,
    kOpShl = 49,
    kOpShr = 50,
    kOpMov = 51,
    kOpMvm = 52,
    kOpClr = 54,
    kOpAnd = 56,
    kOpOr = 57,
    kOpXor = 58,
    kOpNot = 59,
    kOpJmp = 61,      // word = target word index; byte 1 = 1 allows a backward target
    kOpRdr = 71,      // words: register number, destination; byte 2 = destination type
    kOpWrr = 72,      // words: source, register number; byte 1 = source type; nibble bit 0 = WRC
    kOpDol = 73,      // distance timers, run as TON
    kOpIndex1 = 75,   // 1-D array element <-> scratch; nibble bit 0 = write
    kOpIndex2Read = 76,
    kOpIndex2Write = 77,
    kOpJfb = 78,      // words: target (function-block header), instance address
    kOpFbHeader = 79, // word: instance size
    kOpRfb = 80,
};

// Operand type codes.
enum TypeCode : uint8_t { kTypeImmediate = 0, kTypeSint = 1, kTypeInt = 2, kTypeDint = 4, kTypeArray = 8 };

// How the module checks and decodes an instruction.
enum class Family : uint8_t {
    Structural,  // 1 word
    Bit,         // 2 words: bit position in byte 1
    BitPair,     // 3 words: OSR/OSF
    InvertRc,    // 2 words
    Timer,       // 2 words
    General,     // 1 + operand count words
    ReadReg,     // 3 words
    WriteReg,    // 3 words
    Jump,        // 2 words
    Call,        // 3 words
    FbHeader,    // 2 words
    Index1,      // 5 words
    Index2,      // 7 words
};

struct OpInfo {
    uint8_t code;
    const char* name;
    Family family;
    uint8_t words;
    uint8_t reads;   // general family: operands read first ...
    uint8_t writes;  // ... then operands written (0 or 1)
};

// The instruction this module accepts with that code, or null.
const OpInfo* FindOp(uint8_t code);

inline uint8_t OpOf(uint32_t word) { return static_cast<uint8_t>(word & 0xFF); }
inline uint8_t Byte1(uint32_t word) { return static_cast<uint8_t>((word >> 8) & 0xFF); }
inline uint8_t Byte2(uint32_t word) { return static_cast<uint8_t>((word >> 16) & 0xFF); }
inline uint8_t Nibble(uint32_t word) { return static_cast<uint8_t>((word >> 24) & 0x0F); }
inline bool HasTag(uint32_t word) { return (word >> 28) == 0xA; }

// Type code of general-family operand i (0, 1 or 2).
inline uint8_t OperandType(uint32_t word, int i) { return i == 0 ? Byte1(word) : i == 1 ? Byte2(word) : Nibble(word); }

// --- status codes -----------------------------------------------------------------------
enum HeaderError : uint16_t {
    kHeaderOk = 0,
    kHeaderFamily = 1,          // controller family not accepted by this module
    kHeaderBeyondFile = 2,      // sizes in the header exceed the file
    kHeaderCodeSize = 3,
    kHeaderTagSize = 5,
    kHeaderNotDword = 7,
    kHeaderTagMemory = 8,       // the tag memory does not fit the module
    kHeaderNonVolatileSize = 9,
    kHeaderNonVolatileLimit = 10,
    kHeaderConnections = 100,
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
