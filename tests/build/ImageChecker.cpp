// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImageChecker.h"

#include <optional>
#include <set>

namespace pontra::test {

namespace {

// How the operand words of each instruction code are read.
enum class Form { Plain, Bit, TwoBits, Timer, Typed, RegisterRead, RegisterWrite, Jump, Indexed, Indexed2, Call, ZeroWord };
struct Shape {
    Form form;
    int typed = 0;  // Typed: number of operands
};

std::optional<Shape> ShapeOf(uint8_t code) {
    switch (code) {
        case 1: case 2: case 3: case 4: case 5: case 6: case 80: return Shape{Form::Plain};
        case 11: case 12: case 13: case 14: case 15: case 16: case 27: case 28: case 29: case 30:
            return Shape{Form::Bit};
        case 17: case 18: return Shape{Form::TwoBits};
        case 20: return Shape{Form::ZeroWord};
        case 21: case 22: case 23: case 24: case 25: case 26: case 73: return Shape{Form::Timer};
        case 54: return Shape{Form::Typed, 1};
        case 10: case 31: case 32: case 33: case 34: case 35: case 38: case 46: case 47: case 51: case 59:
            return Shape{Form::Typed, 2};
        case 36: case 37: case 41: case 42: case 43: case 44: case 45: case 49: case 50: case 52: case 56: case 57:
        case 58:
            return Shape{Form::Typed, 3};
        case 61: return Shape{Form::Jump};
        case 71: return Shape{Form::RegisterRead};
        case 72: return Shape{Form::RegisterWrite};
        case 75: return Shape{Form::Indexed};
        case 76: case 77: return Shape{Form::Indexed2};
        case 78: return Shape{Form::Call};
        default: return std::nullopt;
    }
}

int OperandWords(const Shape& shape) {
    switch (shape.form) {
        case Form::Plain: return 0;
        case Form::Bit: case Form::Timer: case Form::Jump: case Form::ZeroWord: return 1;
        case Form::TwoBits: case Form::RegisterRead: case Form::RegisterWrite: case Form::Call: return 2;
        case Form::Typed: return shape.typed;
        case Form::Indexed: return 4;
        case Form::Indexed2: return 6;
    }
    return 0;
}

int Width(uint32_t typeCode) { return typeCode == 1 ? 1 : typeCode == 2 ? 2 : typeCode == 4 ? 4 : 0; }

class Checker {
public:
    explicit Checker(const std::vector<uint8_t>& file) : file_(file) {}

    ImageReport Run() {
        if (file_.size() < 180) {
            Problem("file shorter than the header");
            return report_;
        }
        CheckHeader();
        if (report_.problems.empty()) {
            CheckTrailer();
            CheckCode();
        }
        return report_;
    }

private:
    uint32_t At(size_t offset) const {
        uint32_t w = 0;
        for (size_t i = 0; i < 4; ++i)
            if (offset + i < file_.size()) w |= uint32_t{file_[offset + i]} << (8 * i);
        return w;
    }
    uint32_t CodeWord(int index) const { return At(180 + 4 * static_cast<size_t>(index)); }
    void Problem(const std::string& text) { report_.problems.push_back(text); }
    void ProblemAt(int word, const std::string& text) { Problem("word " + std::to_string(word) + ": " + text); }

    void CheckHeader() {
        const uint32_t codeOffset = At(0x2C), codeSize = At(0x30), tagsOffset = At(0x34);
        report_.codeSize = static_cast<int>(codeSize);
        report_.tagsSize = static_cast<int>(At(0x38));
        report_.nonVolatileStart = static_cast<int>(At(0x3C));
        report_.nonVolatileSize = static_cast<int>(At(0x40));
        if (codeOffset != 180) Problem("code offset is not 180");
        if (codeSize % 4 || tagsOffset % 4 || (codeOffset + codeSize) % 4) Problem("header offsets not multiples of 4");
        if (tagsOffset != codeSize + 180) Problem("tag offset is not code size + 180");
        if (report_.tagsSize > 10000) Problem("tag memory above 10000 bytes");
        if (report_.nonVolatileSize > 96) Problem("non-volatile area above 96 bytes");
        if (report_.nonVolatileStart < 384 || report_.nonVolatileStart + report_.nonVolatileSize != report_.tagsSize)
            Problem("non-volatile area does not end the tag memory");
        if (file_[0x44] != 0 || file_[0x45] != 3) Problem("format version is not 3.0");
        for (size_t i = 0x46; i < 0x90; ++i)
            if (file_[i]) Problem("reserved header byte not zero");
        if (At(0x90) != 0xFFFFFFFFu) Problem("word 0x90 is not all ones");
        for (size_t r = 0; r < 4; ++r) {
            const size_t at = 0x94 + 8 * r;
            const uint8_t size = file_[at + 4], kind = file_[at + 5];
            if (kind != 0 && kind != 1 && kind != 3) Problem("connection record with kind " + std::to_string(kind));
            if (size > 32) Problem("connection data size above 32");
        }
        if (180 + static_cast<size_t>(codeSize) + static_cast<size_t>(report_.tagsSize) > file_.size())
            Problem("sizes in the header exceed the file");
    }

    void CheckTrailer() {
        size_t p = 180 + static_cast<size_t>(report_.codeSize) + static_cast<size_t>(report_.tagsSize);
        if (p < file_.size() && file_[p] == 2) {
            report_.configLength = static_cast<int>(At(p + 1));
            if (report_.configLength < 17 || report_.configLength > 1000) Problem("configuration block length");
            p += 1 + static_cast<size_t>(report_.configLength);
        }
        if (p + 3 > file_.size() || file_[p] != 1) {
            Problem("name trailer missing");
            return;
        }
        const size_t n = file_[p + 1] | (size_t{file_[p + 2]} << 8);
        if (p + 3 + n != file_.size()) {
            Problem("name trailer does not end the file");
            return;
        }
        report_.name.assign(file_.begin() + static_cast<std::ptrdiff_t>(p + 3), file_.end());
        for (size_t i = 0; i < 20; ++i) {
            const char expected = i < report_.name.size() ? report_.name[i] : 0;
            if (static_cast<char>(file_[4 + i]) != expected) {
                Problem("header name is not the start of the trailer name");
                break;
            }
        }
    }

    // Operand checks against the unit's memory: the tag memory for the main program, the
    // instance for a function block (its addresses are instance-relative).
    void Typed(int word, uint32_t typeCode, uint32_t value, int limit) {
        if (typeCode != 0 && typeCode != 1 && typeCode != 2 && typeCode != 4 && typeCode != 8)
            return ProblemAt(word, "operand type code " + std::to_string(typeCode));
        const int width = Width(typeCode);
        if (width == 0) return;  // immediate (or array base)
        if (value % static_cast<uint32_t>(width)) ProblemAt(word, "operand not aligned to its width");
        if (static_cast<int64_t>(value) + width > limit) ProblemAt(word, "operand beyond the tag memory");
    }
    void Bit(int word, uint32_t position, uint32_t address, int limit) {
        if (position > 31) ProblemAt(word, "bit position above 31");
        if (address % 4) ProblemAt(word, "bit address not 4-aligned");
        if (static_cast<int64_t>(address) + 4 > limit) ProblemAt(word, "bit address beyond the tag memory");
    }
    void Scratch(int word, uint32_t address, int limit) {
        if (address % 4 || static_cast<int64_t>(address) + 4 > limit) ProblemAt(word, "scratch tag address");
    }

    void CheckOperands(int i, uint32_t w, const Shape& shape, int limit, size_t unit) {
        const uint32_t b1 = (w >> 8) & 0xFF, b2 = (w >> 16) & 0xFF, low3 = (w >> 24) & 0x0F;
        switch (shape.form) {
            case Form::Plain: break;
            case Form::Bit: Bit(i, b1, CodeWord(i + 1), limit); break;
            case Form::TwoBits:
                Bit(i, b1, CodeWord(i + 1), limit);
                Bit(i, b2, CodeWord(i + 2), limit);
                break;
            case Form::Timer:
                if (CodeWord(i + 1) % 4 || static_cast<int64_t>(CodeWord(i + 1)) + 12 > limit)
                    ProblemAt(i, "timer address");
                break;
            case Form::ZeroWord:
                if (CodeWord(i + 1) != 0) ProblemAt(i, "operand of the rung inversion is not 0");
                break;
            case Form::Typed: {
                const uint32_t codes[3] = {b1, b2, low3};
                for (int k = 0; k < shape.typed; ++k) Typed(i, codes[k], CodeWord(i + 1 + k), limit);
                break;
            }
            case Form::RegisterRead:
            case Form::RegisterWrite: {
                const bool read = shape.form == Form::RegisterRead;
                const uint32_t reg = CodeWord(read ? i + 1 : i + 2);
                if (!((reg >= 1 && reg <= 512) || (reg >= 10000 && reg <= 10200))) ProblemAt(i, "register number");
                if (b1 != b2 || Width(b1) == 0) ProblemAt(i, "register instruction type codes");
                Typed(i, b1, CodeWord(read ? i + 2 : i + 1), limit);
                break;
            }
            case Form::Jump:
                jumps_.push_back({i, static_cast<int>(CodeWord(i + 1)), unit, b1 == 1});
                break;
            case Form::Call:
                calls_.push_back({i, static_cast<int>(CodeWord(i + 1)), CodeWord(i + 2), limit});
                break;
            case Form::Indexed: {
                const int width = Width(b1);
                const uint32_t base = CodeWord(i + 1), count = CodeWord(i + 3);
                if (!width || !Width(b2)) return ProblemAt(i, "indexed access type codes");
                if (base % static_cast<uint32_t>(width) || count == 0 ||
                    static_cast<int64_t>(base) + int64_t{count} * width > limit)
                    ProblemAt(i, "indexed array outside the tag memory");
                Typed(i, b2, CodeWord(i + 2), limit);
                Scratch(i, CodeWord(i + 4), limit);
                break;
            }
            case Form::Indexed2: {
                const int width = Width(b1);
                const uint32_t base = CodeWord(i + 1), dim1 = CodeWord(i + 4), dim2 = CodeWord(i + 5);
                if (!width) return ProblemAt(i, "indexed access type codes");
                if (base % static_cast<uint32_t>(width) || dim1 == 0 || dim2 == 0 ||
                    static_cast<int64_t>(base) + int64_t{dim1} * dim2 * width > limit)
                    ProblemAt(i, "indexed array outside the tag memory");
                const uint32_t codes[2] = {b2, low3};
                const uint32_t dims[2] = {dim1, dim2};
                for (int k = 0; k < 2; ++k) {
                    if (codes[k] == 0 && CodeWord(i + 2 + k) >= dims[k]) ProblemAt(i, "constant index out of range");
                    if (codes[k] != 0) Typed(i, codes[k], CodeWord(i + 2 + k), limit);
                }
                Scratch(i, CodeWord(i + 6), limit);
                break;
            }
        }
    }

    void CheckCode() {
        const int words = report_.codeSize / 4;
        int i = 0;
        bool last = false;
        while (i < words && !last) {
            CheckedUnit unit{i};
            int limit = report_.tagsSize;
            if ((CodeWord(i) & 0xFF) == 79) {
                unit.instanceSize = static_cast<int>(CodeWord(i + 1));
                if (unit.instanceSize > report_.tagsSize) ProblemAt(i, "instance larger than the tag memory");
                limit = unit.instanceSize;
                i += 2;
            }
            const size_t index = report_.units.size();
            bool inRung = false, first = true;
            int depth = 0, rnds = 0;
            std::vector<int> levels;  // NXBs met in each open branch
            while (true) {
                if (i >= words) {
                    ProblemAt(i, "unit without END");
                    report_.units.push_back(unit);
                    return;
                }
                const uint32_t w = CodeWord(i);
                const uint8_t code = w & 0xFF;
                if ((w >> 28) != 0xA) ProblemAt(i, "instruction word without 0xA mark");
                if (first && code != 1 && code != 0) ProblemAt(i, "unit does not start with RUNG");
                first = false;
                if (code == 0) {
                    if (inRung) ProblemAt(i, "END inside a rung");
                    if (unit.rungs != rnds) ProblemAt(i, "RUNG and RND counts differ");
                    if (i + 2 >= words) ProblemAt(i, "missing marker words after END");
                    const uint32_t m1 = CodeWord(i + 1), m2 = CodeWord(i + 2);
                    if (m1 == 0 && m2 == 0xACACACACu) last = true;
                    else if (!(m1 == 0xFFFFFFFFu && m2 == 0xABABABABu)) ProblemAt(i, "bad marker words after END");
                    i += 3;
                    break;
                }
                rungStarts_.insert(code == 1 ? i : -1);
                if (code == 1) {
                    if (inRung) ProblemAt(i, "RUNG inside a rung");
                    inRung = true;
                    depth = 0;
                    levels.clear();
                    ++unit.rungs;
                } else if (code == 6) {
                    if (!inRung) ProblemAt(i, "RND outside a rung");
                    if (depth != 0) ProblemAt(i, "unbalanced branches at RND");
                    inRung = false;
                    ++rnds;
                } else if (!inRung) {
                    ProblemAt(i, "instruction " + std::to_string(code) + " outside a rung");
                } else if (code == 2) {
                    ++depth;
                    levels.push_back(0);
                } else if (code == 3 || code == 4 || code == 5) {
                    if (depth == 0) {
                        ProblemAt(i, "branch instruction outside a branch");
                    } else if (code != 3) {
                        ++levels.back();
                    } else {
                        // Every branch has a second level (modules count one NXB per BST).
                        if (levels.back() == 0) ProblemAt(i, "branch without a second level");
                        levels.pop_back();
                        --depth;
                    }
                }
                const auto shape = ShapeOf(code);
                if (!shape) {
                    ProblemAt(i, "invalid instruction code " + std::to_string(code));
                    i += 1;
                    continue;
                }
                if (i + OperandWords(*shape) >= words) ProblemAt(i, "instruction runs past the code");
                CheckOperands(i, w, *shape, limit, index);
                i += 1 + OperandWords(*shape);
            }
            report_.units.push_back(unit);
        }
        if (!last) Problem("code does not end with the last unit's markers");
        if (i != words) Problem("code continues after the last unit");
        CheckTargets();
    }

    void CheckTargets() {
        for (const auto& jump : jumps_) {
            const CheckedUnit& unit = report_.units[jump.unit];
            const int end = jump.unit + 1 < report_.units.size() ? report_.units[jump.unit + 1].startWord : report_.codeSize / 4;
            if (jump.target < unit.startWord || jump.target >= end || !rungStarts_.count(jump.target))
                ProblemAt(jump.word, "JMP target is not a rung of its unit");
            if ((jump.target <= jump.word) != jump.backward) ProblemAt(jump.word, "JMP direction flag");
        }
        for (const auto& call : calls_) {
            const CheckedUnit* callee = nullptr;
            for (const auto& unit : report_.units)
                if (unit.startWord == call.target && unit.instanceSize >= 0) callee = &unit;
            if (!callee) {
                ProblemAt(call.word, "JFB target is not a function block");
                continue;
            }
            if (call.instance % 4 || static_cast<int64_t>(call.instance) + callee->instanceSize > call.limit)
                ProblemAt(call.word, "JFB instance outside the caller's memory");
        }
    }

    struct Jump {
        int word, target;
        size_t unit;
        bool backward;
    };
    struct Call {
        int word, target;
        uint32_t instance;
        int limit;
    };

    const std::vector<uint8_t>& file_;
    ImageReport report_;
    std::vector<Jump> jumps_;
    std::vector<Call> calls_;
    std::set<int> rungStarts_;
};

}  // namespace

ImageReport CheckImage(const std::vector<uint8_t>& file) { return Checker(file).Run(); }

}  // namespace pontra::test
