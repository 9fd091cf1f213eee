// SPDX-License-Identifier: GPL-3.0-or-later
// The program image a module loads: file layout, header fields and the instruction
// encoding of its ladder machine. The image builder writes it and the soft module reads
// it; both include this header so that the numbers live in one place.
//
// File layout (all multi-byte values little-endian):
//
//   header            180 bytes (fields below)
//   code area         code size bytes: main program, then each function block
//   tag memory        total tag size bytes: controller area (0..383), volatile
//                     area, non-volatile area (start and size in the header)
//   [0x02 + block]    configuration block, only when it has entries
//   0x01, u16 n, n    image file name, no terminator
//
// Code area: 32-bit words. Every instruction starts with an instruction word:
//
//    31    28 27    24 23            16 15             8 7              0
//   +--------+--------+----------------+----------------+----------------+
//   |  0xA   | nibble |  operand info  |  operand info  |  instruction   |
//   |        |        |       2        |       1        |      code      |
//   +--------+--------+----------------+----------------+----------------+
//    byte 3 (high nibble always 0xA; low nibble: third operand's type code
//    or a flag), byte 2, byte 1 (type code or bit position, per code), byte 0.
//
// followed by the instruction's operand words. An operand word holds a tag address
// (instance-relative inside a function block) or, with type code 0, an immediate value.
// Jump and call targets are word indexes into the code area (byte offset / 4).
//
// Words per instruction (W = instruction word, A = tag address, B = address rounded down
// to 4 with the bit position (address mod 4) * 8 + bit in byte 1):
//   0  END        W                        end of a unit, then two marker words
//   1  RUNG       W                        start of rung (rung condition = 1)
//   2  BST        W                        branch start
//   3  BND        W                        branch end
//   4  NXB        W                        second branch level
//   5  NXB        W                        third and every further branch level
//   6  RND        W                        end of rung
//   10 SQR        W A A                    (and any general kind without its own code)
//   11 XIC  12 XIO  13 OTE  14 OTL  15 OTU  16 ONS         W B
//   17 OSR  18 OSF  W B B   byte 1 = bit of storage, byte 2 = bit of output
//   20 NOTRC      W 0                      invert rung condition (Structured Text only)
//   21 TON 22 TOF 23 RTO 24 CTU 25 CTD 26 RES   W A   (A = 12-byte timer/counter)
//   27 ANDRC 28 ORRC 29 XORRC 30 NOTBIT   W B   bit into rung condition (Structured Text)
//   31 EQU 32 GEQ 33 GRT 34 LEQ 35 LES 38 NEQ   W A A      byte 1, 2 = type codes
//   36 LIM 37 MEQ                              W A A A    byte 3 low = type code 3
//   41 ADD 42 SUB 43 MUL 44 DIV 45 MOD 56 AND 57 OR 58 XOR 49 SHL 50 SHR 52 MVM   W A A A
//   46 NEG 47 ABS 51 MOV 59 NOT                W A A
//   54 CLR                                     W A
//   61 JMP        W T   T = word index of the target rung; byte 1 = 1: backward jump
//   71 RDR        W R A   byte 1 = byte 2 = type code of A; R = register number
//   72 WRR/WRC    W A R   byte 1 = byte 2 = type code of A; WRC sets bit 0 of byte 3
//   73 DOL/DOR    W A     byte 1 = 1 for DOR, 0 for DOL ("Kormo" modules: the reverse)
//   75 indexed    W base index count scratch   byte 1 element type, byte 2 index type,
//                 byte 3 bit 0 = write back (after the instruction) else read (before)
//   76 read2      W base i j dim1 dim2 scratch  byte 1 element type, byte 2 type of i,
//   77 write2     byte 3 low = type of j (type 0: i or j is an immediate index)
//   78 JFB        W T I   T = word index of the callee's FBHEAD word, I = instance
//                 address (relative to the caller's instance inside a function block)
//   79 FBHEAD     W S     first word of a function block, S = instance size
//   80 RFB        W       return from function block
//
// Operand type codes: 0 BOOL or immediate, 1 SINT, 2 INT, 4 DINT, 8 ARRAY.
#pragma once

#include <cstdint>

namespace pontra::image {

// --- file and header --------------------------------------------------------------

constexpr int kHeaderSize = 180;
constexpr int kHeaderNameLength = 20;  // image name and family name fields

constexpr int kHeaderTimeStamp = 0x00;
constexpr int kHeaderImageName = 0x04;
constexpr int kHeaderFamily = 0x18;
constexpr int kHeaderCodeOffset = 0x2C;
constexpr int kHeaderCodeSize = 0x30;
constexpr int kHeaderTagsOffset = 0x34;
constexpr int kHeaderTagsSize = 0x38;
constexpr int kHeaderNonVolatileStart = 0x3C;
constexpr int kHeaderNonVolatileSize = 0x40;
constexpr int kHeaderVersionMinor = 0x44;
constexpr int kHeaderVersionMajor = 0x45;
constexpr int kHeaderAllOnes = 0x90;  // four 0xFF bytes
constexpr int kHeaderConnections = 0x94;

constexpr uint8_t kFormatVersionMinor = 0;
constexpr uint8_t kFormatVersionMajor = 3;

// Connection records: peer address with its 16-bit halves exchanged, data size (at
// most 32), connection kind, 16-bit connection parameter.
constexpr int kConnectionRecordSize = 8;
constexpr int kMaxConnectionRecords = 4;
constexpr int kMaxConnectionDataSize = 32;

// Sections after the tag memory.
constexpr uint8_t kSectionConfiguration = 0x02;
constexpr uint8_t kSectionName = 0x01;

// Program memory reported to the user = configuration block + code + tags + name length
// + this (header 180, the two section bytes and the 16-bit name length).
constexpr int kProgramMemoryOverhead = 184;

// --- code area ----------------------------------------------------------------------

// The code buffer the builder fills; a program that does not fit is refused.
constexpr int kCodeBufferSize = 40000;

constexpr uint8_t kWordMark = 0xA0;  // high nibble of byte 3 of every instruction word

// The two words after END: more function blocks follow, or this was the last unit.
constexpr uint32_t kMarkerMoreFirst = 0xFFFFFFFFu;
constexpr uint32_t kMarkerMoreSecond = 0xABABABABu;
constexpr uint32_t kMarkerLastFirst = 0x00000000u;
constexpr uint32_t kMarkerLastSecond = 0xACACACACu;

enum Code : uint8_t {
    kEnd = 0,
    kRung = 1,
    kBst = 2,
    kBnd = 3,
    kNxb = 4,
    kNxbMore = 5,
    kRnd = 6,
    kSqr = 10,  // also the code of a general instruction without its own code
    kXic = 11,
    kXio = 12,
    kOte = 13,
    kOtl = 14,
    kOtu = 15,
    kOns = 16,
    kOsr = 17,
    kOsf = 18,
    kNotRungCondition = 20,
    kTon = 21,
    kTof = 22,
    kRto = 23,
    kCtu = 24,
    kCtd = 25,
    kRes = 26,
    kAndBit = 27,
    kOrBit = 28,
    kXorBit = 29,
    kNotBit = 30,
    kEqu = 31,
    kGeq = 32,
    kGrt = 33,
    kLeq = 34,
    kLes = 35,
    kLim = 36,
    kMeq = 37,
    kNeq = 38,
    kAdd = 41,
    kSub = 42,
    kMul = 43,
    kDiv = 44,
    kMod = 45,
    kNeg = 46,
    kAbs = 47,
    kShl = 49,
    kShr = 50,
    kMov = 51,
    kMvm = 52,
    kClr = 54,
    kAnd = 56,
    kOr = 57,
    kXor = 58,
    kNot = 59,
    kJmp = 61,
    kMcr = 62,
    kForInit = 63,  // accepted by modules, never produced by this builder
    kForLoop = 69,  // accepted by modules, never produced by this builder
    kRdr = 71,
    kWriteRegister = 72,  // WRR and WRC
    kDistance = 73,       // DOL and DOR
    kIndexed = 75,
    kReadArray2 = 76,
    kWriteArray2 = 77,
    kJfb = 78,
    kFunctionBlockHeader = 79,
    kRfb = 80,
};

// Operand type codes.
enum TypeCode : uint8_t {
    kTypeBoolOrImmediate = 0,
    kTypeSint = 1,
    kTypeInt = 2,
    kTypeDint = 4,
    kTypeArray = 8,
};

constexpr uint8_t kWriteBackFlag = 0x01;  // byte 3 of code 75
constexpr uint8_t kCommFlag = 0x01;       // byte 3 of code 72: WRC
constexpr uint8_t kBackwardJump = 0x01;   // byte 1 of JMP

constexpr uint32_t InstructionWord(uint8_t code, uint8_t info1 = 0, uint8_t info2 = 0, uint8_t low3 = 0) {
    return uint32_t{code} | (uint32_t{info1} << 8) | (uint32_t{info2} << 16) |
           (uint32_t{static_cast<uint8_t>(kWordMark | (low3 & 0x0F))} << 24);
}

}  // namespace pontra::image
