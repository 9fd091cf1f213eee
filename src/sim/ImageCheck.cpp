// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ImageCheck.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "sim/ImageFormat.h"

namespace pontra::sim {

namespace {

constexpr uint32_t kNoHeader = UINT32_MAX;

// One row per instruction code the module runs; codes absent here are invalid.
constexpr std::array kOps = {
    OpInfo{kEnd, "END", Family::Structural, 1, 0, 0},
    OpInfo{kRung, "RUNG", Family::Structural, 1, 0, 0},
    OpInfo{kBst, "BST", Family::Structural, 1, 0, 0},
    OpInfo{kBnd, "BND", Family::Structural, 1, 0, 0},
    OpInfo{kNxb, "NXB", Family::Structural, 1, 0, 0},
    OpInfo{kNxbMore, "NXB", Family::Structural, 1, 0, 0},
    OpInfo{kRnd, "RND", Family::Structural, 1, 0, 0},
    OpInfo{kSqr, "SQR", Family::General, 3, 1, 1},
    OpInfo{kXic, "XIC", Family::Bit, 2, 0, 0},
    OpInfo{kXio, "XIO", Family::Bit, 2, 0, 0},
    OpInfo{kOte, "OTE", Family::Bit, 2, 0, 0},
    OpInfo{kOtl, "OTL", Family::Bit, 2, 0, 0},
    OpInfo{kOtu, "OTU", Family::Bit, 2, 0, 0},
    OpInfo{kOns, "ONS", Family::Bit, 2, 0, 0},
    OpInfo{kOsr, "OSR", Family::BitPair, 3, 0, 0},
    OpInfo{kOsf, "OSF", Family::BitPair, 3, 0, 0},
    OpInfo{kNotRungCondition, "NOT RC", Family::InvertRc, 2, 0, 0},
    OpInfo{kTon, "TON", Family::Timer, 2, 0, 0},
    OpInfo{kTof, "TOF", Family::Timer, 2, 0, 0},
    OpInfo{kRto, "RTO", Family::Timer, 2, 0, 0},
    OpInfo{kCtu, "CTU", Family::Timer, 2, 0, 0},
    OpInfo{kCtd, "CTD", Family::Timer, 2, 0, 0},
    OpInfo{kRes, "RES", Family::Timer, 2, 0, 0},
    OpInfo{kAndBit, "AND RC", Family::Bit, 2, 0, 0},
    OpInfo{kOrBit, "OR RC", Family::Bit, 2, 0, 0},
    OpInfo{kXorBit, "XOR RC", Family::Bit, 2, 0, 0},
    OpInfo{kNotBit, "NOT BIT", Family::Bit, 2, 0, 0},
    OpInfo{kEqu, "EQU", Family::General, 3, 2, 0},
    OpInfo{kGeq, "GEQ", Family::General, 3, 2, 0},
    OpInfo{kGrt, "GRT", Family::General, 3, 2, 0},
    OpInfo{kLeq, "LEQ", Family::General, 3, 2, 0},
    OpInfo{kLes, "LES", Family::General, 3, 2, 0},
    OpInfo{kLim, "LIM", Family::General, 4, 3, 0},
    OpInfo{kMeq, "MEQ", Family::General, 4, 3, 0},
    OpInfo{kNeq, "NEQ", Family::General, 3, 2, 0},
    OpInfo{kAdd, "ADD", Family::General, 4, 2, 1},
    OpInfo{kSub, "SUB", Family::General, 4, 2, 1},
    OpInfo{kMul, "MUL", Family::General, 4, 2, 1},
    OpInfo{kDiv, "DIV", Family::General, 4, 2, 1},
    OpInfo{kMod, "MOD", Family::General, 4, 2, 1},
    OpInfo{kNeg, "NEG", Family::General, 3, 1, 1},
    OpInfo{kAbs, "ABS", Family::General, 3, 1, 1},
    OpInfo{kShl, "SHL", Family::General, 4, 2, 1},
    OpInfo{kShr, "SHR", Family::General, 4, 2, 1},
    OpInfo{kMov, "MOV", Family::General, 3, 1, 1},
    OpInfo{kMvm, "MVM", Family::General, 4, 2, 1},
    OpInfo{kClr, "CLR", Family::General, 2, 0, 1},
    OpInfo{kAnd, "AND", Family::General, 4, 2, 1},
    OpInfo{kOr, "OR", Family::General, 4, 2, 1},
    OpInfo{kXor, "XOR", Family::General, 4, 2, 1},
    OpInfo{kNot, "NOT", Family::General, 3, 1, 1},
    OpInfo{kJmp, "JMP", Family::Jump, 2, 0, 0},
    OpInfo{kRdr, "RDR", Family::ReadReg, 3, 0, 0},
    OpInfo{kWriteRegister, "WRR", Family::WriteReg, 3, 0, 0},
    OpInfo{kDistance, "DOL", Family::Timer, 2, 0, 0},
    OpInfo{kIndexed, "INDEX", Family::Index1, 5, 0, 0},
    OpInfo{kReadArray2, "INDEX2 R", Family::Index2, 7, 0, 0},
    OpInfo{kWriteArray2, "INDEX2 W", Family::Index2, 7, 0, 0},
    OpInfo{kJfb, "JFB", Family::Call, 3, 0, 0},
    OpInfo{kFunctionBlockHeader, "FBH", Family::FbHeader, 2, 0, 0},
    OpInfo{kRfb, "RFB", Family::Structural, 1, 0, 0},
};

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return v;
}

bool IsTypeCode(uint8_t t) {
    return t == kTypeBoolOrImmediate || t == kTypeSint || t == kTypeInt || t == kTypeDint || t == kTypeArray;
}

bool IsValueWidth(uint8_t t) { return t == kTypeSint || t == kTypeInt || t == kTypeDint; }

// 0 when `bytes` bytes at `address` lie below `limit` and `address` is a multiple of `align`.
uint16_t CheckArea(uint64_t address, uint64_t bytes, uint64_t align, uint32_t limit, uint16_t beyond) {
    if (address > limit || limit - address < bytes) return beyond;
    if (align > 1 && address % align != 0) return kPrescanAlignment;
    return kPrescanOk;
}

// Bytes an array of `count` elements of type `element` occupies (BOOL elements pack 32 to a word).
uint64_t ArrayBytes(uint8_t element, uint64_t count) {
    return element == kTypeBoolOrImmediate ? (count + 31) / 32 * 4 : count * element;
}

class Prescanner {
public:
    Prescanner(std::span<const uint32_t> words, uint32_t tagSize, DecodedProgram& out)
        : w_(words), tagSize_(tagSize), out_(out) {}

    CodeError Run() {
        const size_t n = w_.size();
        out_.words.assign(w_.begin(), w_.end());
        out_.rungAt.assign(n, 0);
        out_.instanceSize.assign(n, kNoHeader);
        out_.isStart.assign(n, 0);
        size_t pc = 0;
        bool functionBlock = false;
        for (;;) {
            bool last = false;
            if (!ScanUnit(pc, functionBlock, last)) return error_;
            if (last) break;
            functionBlock = true;
        }
        CheckTargets();
        return error_;
    }

private:
    struct Ref {
        size_t pc;
        size_t unit;
        uint32_t limit;
    };
    struct Unit {
        size_t start, end;  // end = index of its END
    };

    bool Fail(uint16_t code, size_t pc, uint16_t rung) {
        error_.code = code;
        error_.pc = static_cast<uint16_t>(pc);
        error_.instruction = pc < w_.size() ? OpOf(w_[pc]) : 0;
        error_.rung = std::max<uint16_t>(rung, 1);
        return false;
    }
    bool Fail(uint16_t code, size_t pc) { return Fail(code, pc, rung_); }

    // One unit from its first word to the markers after END; `last` tells whether the
    // markers close the code.
    bool ScanUnit(size_t& pc, bool functionBlock, bool& last) {
        const size_t n = w_.size();
        rung_ = 0;
        uint32_t limit = tagSize_;
        const size_t start = pc;
        if (functionBlock) {
            if (pc >= n || !HasMark(w_[pc]) || OpOf(w_[pc]) != kFunctionBlockHeader)
                return Fail(kPrescanFirstNotRung, pc);
            if (pc + 2 > n) return Fail(kPrescanLength, pc);
            limit = w_[pc + 1];
            out_.isStart[pc] = 1;
            out_.instanceSize[pc] = limit;
            out_.rungAt[pc] = 1;
            pc += 2;
        }
        bool inRung = false;
        std::vector<int> branches;  // NXB count of each open branch
        for (;;) {
            if (pc >= n) return Fail(kPrescanMissingEnd, pc);
            const uint32_t word = w_[pc];
            const OpInfo* op = HasMark(word) ? FindOp(OpOf(word)) : nullptr;
            if (!op) return Fail(kPrescanInvalidCode, pc);
            if (pc + op->words > n) return Fail(kPrescanLength, pc);
            out_.isStart[pc] = 1;
            switch (op->code) {
                case kRung:
                    if (inRung) return Fail(kPrescanRungRnd, pc);
                    inRung = true;
                    ++rung_;
                    branches.clear();
                    break;
                case kRnd:
                    if (!inRung) return Fail(rung_ ? kPrescanRungRnd : kPrescanFirstNotRung, pc);
                    if (!branches.empty()) return Fail(kPrescanBstBnd, pc);
                    inRung = false;
                    break;
                case kEnd:
                    if (inRung) return Fail(kPrescanRungRnd, pc);
                    if (rung_ == 0) return Fail(kPrescanFirstNotRung, pc);
                    out_.rungAt[pc] = rung_;
                    units_.push_back({start, pc});
                    return CheckMarkers(pc, last);
                default:
                    if (!inRung) return Fail(kPrescanFirstNotRung, pc);
                    if (!CheckBranches(op->code, branches, pc)) return false;
                    if (!CheckOperands(*op, pc, limit)) return false;
                    break;
            }
            out_.rungAt[pc] = std::max<uint16_t>(rung_, 1);
            pc += op->words;
        }
    }

    bool CheckMarkers(size_t& pc, bool& last) {
        const size_t n = w_.size();
        if (pc + 3 > n) return Fail(kPrescanLength, pc);
        const uint32_t a = w_[pc + 1], b = w_[pc + 2];
        if (a == kMarkerLastFirst && b == kMarkerLastSecond) {
            if (pc + 3 != n) return Fail(kPrescanLength, pc + 3);
            last = true;
        } else if (a == kMarkerMoreFirst && b == kMarkerMoreSecond) {
            if (pc + 3 >= n) return Fail(kPrescanLength, pc);
        } else {
            return Fail(kPrescanLength, pc + 1);
        }
        pc += 3;
        return true;
    }

    bool CheckBranches(uint8_t code, std::vector<int>& branches, size_t pc) {
        switch (code) {
            case kBst:
                if (branches.size() >= kMaxBranchDepth) return Fail(kPrescanBranchStack, pc);
                branches.push_back(0);
                return true;
            case kNxb:
            case kNxbMore:
                if (branches.empty()) return Fail(kPrescanBstNxb, pc);
                ++branches.back();
                return true;
            case kBnd:
                if (branches.empty()) return Fail(kPrescanBstBnd, pc);
                if (branches.back() == 0) return Fail(kPrescanBstNxb, pc);
                branches.pop_back();
                return true;
            default:
                return true;
        }
    }

    bool CheckBit(uint8_t position, uint32_t address, size_t pc, uint32_t limit) {
        if (position > 31) return Fail(kPrescanBitOver31, pc);
        if (uint16_t e = CheckArea(address, 4, 4, limit, kPrescanBitAddress)) return Fail(e, pc);
        return true;
    }

    // A value operand of type `type` in word `at`; immediates need no checking.
    bool CheckValue(uint8_t type, size_t at, bool written, size_t pc, uint32_t limit) {
        if (!IsTypeCode(type) || type == kTypeArray) return Fail(kPrescanOperandType, pc);
        if (type == kTypeBoolOrImmediate) return written ? Fail(kPrescanNotTag, pc) : true;
        if (uint16_t e = CheckArea(w_[at], type, type, limit, kPrescanOperandAddress)) return Fail(e, pc);
        return true;
    }

    bool CheckOperands(const OpInfo& op, size_t pc, uint32_t limit) {
        const uint32_t word = w_[pc];
        switch (op.family) {
            case Family::Bit:
                return CheckBit(Byte1(word), w_[pc + 1], pc, limit);
            case Family::BitPair:
                return CheckBit(Byte1(word), w_[pc + 1], pc, limit) && CheckBit(Byte2(word), w_[pc + 2], pc, limit);
            case Family::Timer:
                if (uint16_t e = CheckArea(w_[pc + 1], 12, 4, limit, kPrescanTimerAddress)) return Fail(e, pc);
                return true;
            case Family::General:
                for (int i = 0; i < op.reads + op.writes; ++i)
                    if (!CheckValue(OperandType(word, i), pc + 1 + i, i >= op.reads, pc, limit)) return false;
                return true;
            case Family::ReadReg:
                return CheckValue(Byte2(word), pc + 2, true, pc, limit);
            case Family::WriteReg:
                return CheckValue(Byte1(word), pc + 1, false, pc, limit);
            case Family::Jump:
                jumps_.push_back({pc, units_.size(), limit});
                return true;
            case Family::Call:
                calls_.push_back({pc, units_.size(), limit});
                return true;
            case Family::FbHeader:
                return Fail(kPrescanFirstNotRung, pc);
            case Family::Index1:
                return CheckIndex1(word, pc, limit);
            case Family::Index2:
                return CheckIndex2(word, pc, limit);
            case Family::Structural:
            case Family::InvertRc:
                return true;
        }
        return true;
    }

    bool CheckArray(uint8_t element, uint32_t base, uint64_t count, uint32_t scratch, size_t pc, uint32_t limit) {
        if (element != kTypeBoolOrImmediate && !IsValueWidth(element)) return Fail(kPrescanOperandType, pc);
        if (count == 0) return Fail(kPrescanArraySize, pc);
        // A BOOL element travels through a whole DINT scratch tag.
        const uint64_t width = element == kTypeBoolOrImmediate ? 4 : element;
        if (uint16_t e = CheckArea(base, ArrayBytes(element, count), width, limit, kPrescanOperandAddress))
            return Fail(e, pc);
        if (uint16_t e = CheckArea(scratch, width, width, limit, kPrescanOperandAddress)) return Fail(e, pc);
        return true;
    }

    bool CheckIndexValue(uint8_t type, size_t at, size_t pc, uint32_t limit) {
        if (type != kTypeBoolOrImmediate && !IsValueWidth(type)) return Fail(kPrescanOperandType, pc);
        return CheckValue(type, at, false, pc, limit);
    }

    // 1-D: array base, index, element count, scratch.
    bool CheckIndex1(uint32_t word, size_t pc, uint32_t limit) {
        return CheckIndexValue(Byte2(word), pc + 2, pc, limit) &&
               CheckArray(Byte1(word), w_[pc + 1], w_[pc + 3], w_[pc + 4], pc, limit);
    }

    // 2-D: array base, first index, second index, first size, second size, scratch.
    bool CheckIndex2(uint32_t word, size_t pc, uint32_t limit) {
        const uint64_t count = static_cast<uint64_t>(w_[pc + 4]) * w_[pc + 5];
        return CheckIndexValue(Byte2(word), pc + 2, pc, limit) && CheckIndexValue(Nibble(word), pc + 3, pc, limit) &&
               CheckArray(Byte1(word), w_[pc + 1], count, w_[pc + 6], pc, limit);
    }

    // Jump targets must be rung starts of the jump's own unit; call targets function-block
    // headers whose instance fits where the call puts it.
    void CheckTargets() {
        for (const Ref& j : jumps_) {
            const uint32_t word = w_[j.pc];
            const uint32_t target = w_[j.pc + 1];
            const Unit& unit = units_[j.unit];
            const bool backwardAllowed = Byte1(word) == 1;
            const bool ok = Byte1(word) <= 1 && target >= unit.start && target < unit.end && out_.isStart[target] &&
                            OpOf(w_[target]) == kRung && (backwardAllowed || target > j.pc);
            if (!ok) {
                Fail(kPrescanJump, j.pc, out_.rungAt[j.pc]);
                return;
            }
        }
        for (const Ref& c : calls_) {
            const uint32_t target = w_[c.pc + 1];
            if (target >= w_.size() || out_.instanceSize[target] == kNoHeader) {
                Fail(kPrescanCallAddress, c.pc, out_.rungAt[c.pc]);
                return;
            }
            if (uint16_t e = CheckArea(w_[c.pc + 2], out_.instanceSize[target], 4, c.limit, kPrescanOperandAddress)) {
                Fail(e, c.pc, out_.rungAt[c.pc]);
                return;
            }
        }
    }

    std::span<const uint32_t> w_;
    uint32_t tagSize_;
    DecodedProgram& out_;
    uint16_t rung_ = 0;
    CodeError error_;
    std::vector<Ref> jumps_, calls_;
    std::vector<Unit> units_;
};

}  // namespace

const OpInfo* FindOp(uint8_t code) {
    static const std::array<const OpInfo*, 256> byCode = [] {
        std::array<const OpInfo*, 256> table{};
        for (const OpInfo& op : kOps) table[op.code] = &op;
        return table;
    }();
    return byCode[code];
}

std::string FamilyName(std::string_view controllerType) {
    if (controllerType == "Kormo") return "Vessa";
    if (controllerType == "KTX-310-0" || controllerType == "VessaK2/K3-48V" || controllerType == "VessaK3" ||
        controllerType == "KTX-310-1")
        return "VessaK2";
    if (controllerType == "KTI-8-0") return "Vessa-IX";
    return std::string(controllerType);
}

uint16_t CheckHeader(std::span<const uint8_t> image, std::string_view acceptedFamily, ImageLayout& layout) {
    if (image.size() < kHeaderSize) return kHeaderBeyondFile;
    layout.timeStamp = ReadU32(image, kHeaderTimeStamp);
    layout.codeOffset = ReadU32(image, kHeaderCodeOffset);
    layout.codeSize = ReadU32(image, kHeaderCodeSize);
    layout.tagOffset = ReadU32(image, kHeaderTagsOffset);
    layout.tagSize = ReadU32(image, kHeaderTagsSize);
    layout.nonVolatileStart = ReadU32(image, kHeaderNonVolatileStart);
    layout.nonVolatileSize = ReadU32(image, kHeaderNonVolatileSize);

    const char* family = reinterpret_cast<const char*>(image.data() + kHeaderFamily);
    const std::string_view name(family, strnlen(family, kHeaderNameLength));
    if (name != acceptedFamily) return kHeaderFamilyError;

    const uint64_t codeEnd = uint64_t{layout.codeOffset} + layout.codeSize;
    const uint64_t tagEnd = uint64_t{layout.tagOffset} + layout.tagSize;
    if (codeEnd > image.size() || tagEnd > image.size()) return kHeaderBeyondFile;
    if (layout.codeSize == 0 || layout.codeSize > kCodeBufferSize || layout.codeOffset < kHeaderSize ||
        layout.tagOffset != codeEnd)
        return kHeaderCodeSizeError;
    if (layout.tagSize < kControllerAreaSize || layout.tagSize % 4 != 0) return kHeaderTagSizeError;
    if (layout.codeOffset % 4 != 0 || codeEnd % 4 != 0 || layout.tagOffset % 4 != 0) return kHeaderNotDword;
    if (layout.tagSize > kMaxTagMemory) return kHeaderTagMemory;
    if (layout.nonVolatileStart < kControllerAreaSize || layout.nonVolatileStart > layout.tagSize ||
        layout.tagSize - layout.nonVolatileStart != layout.nonVolatileSize)
        return kHeaderNonVolatileSizeError;
    if (layout.nonVolatileSize > kMaxNonVolatile) return kHeaderNonVolatileLimit;
    for (size_t i = 0; i < kMaxConnectionRecords; ++i) {
        const uint8_t kind = image[kHeaderConnections + i * kConnectionRecordSize + kConnectionKindOffset];
        if (kind != 0 && kind != 1 && kind != 3) return kHeaderConnectionsError;
    }
    return kHeaderOk;
}

CodeError Prescan(std::span<const uint32_t> words, uint32_t tagSize, DecodedProgram& program) {
    return Prescanner(words, tagSize, program).Run();
}

}  // namespace pontra::sim
