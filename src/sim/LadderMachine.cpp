// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/LadderMachine.h"

#include <array>
#include <climits>
#include <cmath>

namespace pontra::sim {

namespace {

// Status bits in the first word of a TIMER or COUNTER.
constexpr uint32_t kEn = 1u << 31, kTt = 1u << 30, kDn = 1u << 29;
constexpr uint32_t kCu = 1u << 31, kCd = 1u << 30, kOv = 1u << 28, kUn = 1u << 27;
constexpr uint32_t kStatusBits = 0xF8000000;

int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

int32_t Sqrt(int32_t a) {
    const int64_t v = a < 0 ? -int64_t{a} : a;
    auto r = static_cast<int64_t>(std::sqrt(static_cast<double>(v)));
    while (r * r > v) --r;
    while ((r + 1) * (r + 1) <= v) ++r;
    return static_cast<int32_t>(r);
}

// Words of each instruction code, looked up on every step of a scan.
const std::array<uint8_t, 256> kWordsByCode = [] {
    std::array<uint8_t, 256> table{};
    for (int code = 0; code < 256; ++code)
        if (const OpInfo* op = FindOp(static_cast<uint8_t>(code))) table[static_cast<size_t>(code)] = op->words;
    return table;
}();

}  // namespace

LadderMachine::LadderMachine(std::string family, RegisterAccess* registers)
    : family_(std::move(family)), registers_(registers) {}

void LadderMachine::Load(std::span<const uint8_t> image) {
    Unload();
    hasImage_ = true;
    headerError_ = CheckHeader(image, family_, layout_);
    if (headerError_ != 0) return;
    tags_.assign(image.begin() + layout_.tagOffset, image.begin() + layout_.tagOffset + layout_.tagSize);
    std::vector<uint32_t> words(layout_.codeSize / 4);
    for (size_t i = 0; i < words.size(); ++i) {
        const size_t at = layout_.codeOffset + 4 * i;
        words[i] = image[at] | image[at + 1] << 8 | image[at + 2] << 16 | static_cast<uint32_t>(image[at + 3]) << 24;
    }
    error_ = Prescan(words, layout_.tagSize, program_);
    firstScan_ = true;
}

void LadderMachine::Unload() {
    hasImage_ = false;
    headerError_ = 0;
    layout_ = {};
    program_ = {};
    tags_.clear();
    error_ = {};
    timerSince_.clear();
}

void LadderMachine::Start() {
    if (error_.code >= kRuntimeEndOfStack) error_ = {};
    firstScan_ = true;
}

bool LadderMachine::Stop(uint16_t code) {
    error_.code = code;
    error_.pc = static_cast<uint16_t>(pc_);
    error_.instruction = OpOf(program_.words[pc_]);
    error_.rung = program_.rungAt[pc_];
    return false;
}

// The step is kept inside the scan loop: a call per instruction costs as much as most
// instructions.
#if defined(__GNUC__)
#define PONTRA_SIM_HOT [[gnu::always_inline]] inline
#else
#define PONTRA_SIM_HOT inline
#endif

// Bit `position` (0..31) of the little-endian word at `address`, touching only its byte.
bool LadderMachine::GetBit(uint32_t address, uint8_t position) const {
    if (address > tags_.size() || tags_.size() - address < 4) return false;
    return (tags_[address + position / 8u] >> (position % 8u)) & 1;
}

void LadderMachine::SetBit(uint32_t address, uint8_t position, bool value) {
    if (address > tags_.size() || tags_.size() - address < 4) return;
    uint8_t& byte = tags_[address + position / 8u];
    const auto mask = static_cast<uint8_t>(1u << (position % 8u));
    byte = value ? byte | mask : byte & static_cast<uint8_t>(~mask);
}

void LadderMachine::Bit(uint8_t op, uint32_t word) {
    const uint32_t address = base_ + program_.words[pc_ + 1];
    const uint8_t position = Byte1(word);
    switch (op) {
        case kXic: rc_ = rc_ && GetBit(address, position); break;
        case kXio: rc_ = rc_ && !GetBit(address, position); break;
        case kOte: SetBit(address, position, rc_); break;
        case kOtl: if (rc_) SetBit(address, position, true); break;
        case kOtu: if (rc_) SetBit(address, position, false); break;
        case kOns: {
            const bool out = rc_ && !GetBit(address, position);
            SetBit(address, position, rc_);
            rc_ = out;
            break;
        }
        case kAndBit: rc_ = rc_ && GetBit(address, position); break;
        case kOrBit: rc_ = rc_ || GetBit(address, position); break;
        case kXorBit: rc_ = rc_ != GetBit(address, position); break;
        case kNotBit: rc_ = !GetBit(address, position); break;
        default: break;
    }
}

// Executes the instruction at pc_ and moves pc_ on; false when the scan ends.
PONTRA_SIM_HOT bool LadderMachine::Step(uint32_t word) {
    const uint8_t op = OpOf(word);
    const uint32_t* w = &program_.words[pc_];
    const uint8_t size = kWordsByCode[op];
    switch (op) {
        case kRung:
            rc_ = true;
            branchDepth_ = 0;
            break;
        case kRnd:
            break;
        case kBst:
            branches_[branchDepth_++] = {rc_, false};
            break;
        case kNxb:
        case kNxbMore:
            branches_[branchDepth_ - 1].any |= rc_;
            rc_ = branches_[branchDepth_ - 1].start;
            break;
        case kBnd:
            rc_ = branches_[--branchDepth_].any || rc_;
            break;
        case kEnd:
            if (callDepth_ == 0) return false;
            Return();
            return true;
        case kRfb:
            if (rc_ && callDepth_ > 0) {
                Return();
                return true;
            }
            break;
        case kXic: case kXio: case kOte: case kOtl: case kOtu: case kOns:
        case kAndBit: case kOrBit: case kXorBit: case kNotBit:
            Bit(op, word);
            break;
        case kOsr:
        case kOsf:
            OneShot(op, word);
            break;
        case kNotRungCondition:
            rc_ = !rc_;
            break;
        case kTon: case kTof: case kRto: case kDistance:
            Timer(op, base_ + w[1]);
            break;
        case kCtu: case kCtd: case kRes:
            Counter(op, base_ + w[1]);
            break;
        case kEqu: case kGeq: case kGrt: case kLeq: case kLes: case kLim: case kMeq: case kNeq:
            rc_ = rc_ && Compare(op, word);
            break;
        case kJmp:
            if (rc_) {
                pc_ = w[1];
                return true;
            }
            break;
        case kRdr:
            if (rc_) Store(Byte2(word), w[2], registers_ ? registers_->ReadRegister(w[1]) : 0);
            break;
        case kWriteRegister:
            if (rc_ && registers_) registers_->WriteRegister(w[2], static_cast<uint16_t>(Value(Byte1(word), w[1])));
            break;
        case kIndexed: case kReadArray2: case kWriteArray2:
            if (!Index(op, word)) return false;
            break;
        case kJfb:
            return Call();
        default:  // arithmetic, moves and logic
            if (!Compute(op, word)) return false;
            break;
    }
    pc_ += size;
    return true;
}

bool LadderMachine::Scan(uint64_t nowMs) {
    if (!Runnable()) return false;
    if (tags_.size() > kFirstScanByte) {
        tags_[kFirstScanByte] = static_cast<uint8_t>((tags_[kFirstScanByte] & ~1u) | (firstScan_ ? 1u : 0u));
    }
    firstScan_ = false;
    now_ = nowMs;
    executed_ = 0;
    pc_ = 0;
    base_ = 0;
    rc_ = false;
    branchDepth_ = 0;
    callDepth_ = 0;
    // counted in a local: the member would be stored on every step
    const uint64_t limit = instructionLimit_;
    for (uint64_t executed = 1;; ++executed) {
        if (executed > limit) {
            executed_ = executed;
            return Stop(kRuntimeEndOfStack);
        }
        if (!Step(program_.words[pc_])) {
            executed_ = executed;
            return error_.code == 0;
        }
    }
}

uint32_t LadderMachine::LoadU32(uint32_t address) const {
    if (address > tags_.size() || tags_.size() - address < 4) return 0;
    const uint8_t* p = &tags_[address];
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void LadderMachine::StoreU32(uint32_t address, uint32_t value) {
    if (address > tags_.size() || tags_.size() - address < 4) return;
    for (int i = 0; i < 4; ++i) tags_[address + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An operand's value: the immediate itself, or the tag of that width (signed).
int32_t LadderMachine::Value(uint8_t type, uint32_t operand) const {
    if (type == kTypeBoolOrImmediate) return static_cast<int32_t>(operand);
    const uint32_t address = base_ + operand;
    if (address > tags_.size() || tags_.size() - address < type) return 0;
    switch (type) {
        case kTypeSint:
            return static_cast<int8_t>(tags_[address]);
        case kTypeInt:
            return static_cast<int16_t>(tags_[address] | tags_[address + 1] << 8);
        default:
            return static_cast<int32_t>(LoadU32(address));
    }
}

// Stores a value truncated to the destination's width.
void LadderMachine::Store(uint8_t type, uint32_t operand, int32_t value) {
    const uint32_t address = base_ + operand;
    if (type == kTypeBoolOrImmediate || address > tags_.size() || tags_.size() - address < type) return;
    for (uint8_t i = 0; i < type; ++i)
        tags_[address + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

// OSR and OSF: operand 1 is the storage bit, operand 2 the output bit.
void LadderMachine::OneShot(uint8_t op, uint32_t word) {
    const uint32_t storage = base_ + program_.words[pc_ + 1];
    const uint32_t output = base_ + program_.words[pc_ + 2];
    const bool stored = GetBit(storage, Byte1(word));
    const bool out = op == kOsr ? rc_ && !stored : !rc_ && stored;
    SetBit(storage, Byte1(word), rc_);
    SetBit(output, Byte2(word), out);
}

// Milliseconds since the timer's last update while it keeps running; starts the clock otherwise.
uint64_t LadderMachine::Elapsed(uint32_t timer, bool running) {
    auto [it, inserted] = timerSince_.try_emplace(timer, now_);
    const uint64_t since = it->second;
    it->second = now_;
    return running && !inserted && now_ > since ? now_ - since : 0;
}

void LadderMachine::Timer(uint8_t op, uint32_t address) {
    uint32_t status = LoadU32(address);
    const auto pre = static_cast<int32_t>(LoadU32(address + 4));
    int64_t acc = static_cast<int32_t>(LoadU32(address + 8));
    const bool wasEnabled = status & kEn;
    // Accumulates while timing; reaching the preset stops the accumulator and sets DN (TON,
    // RTO) or clears it (TOF).
    auto run = [&](bool running, bool doneAtPreset) {
        acc += static_cast<int64_t>(Elapsed(address, running));
        if (acc >= pre) {
            acc = pre;
            status = doneAtPreset ? status | kDn : status & ~kDn;
            status &= ~kTt;
            timerSince_.erase(address);
        } else {
            status |= kTt;
        }
    };
    if (op == kTof) {
        if (rc_) {
            status = (status | kEn | kDn) & ~kTt;
            acc = 0;
            timerSince_.erase(address);
        } else {
            status &= ~kEn;
            if (status & kDn) run(!wasEnabled, false);
            else status &= ~kTt;
        }
    } else if (rc_) {
        status |= kEn;
        if (!(status & kDn)) run(wasEnabled, true);
        else status &= ~kTt;
    } else {
        status &= ~(kEn | kTt);
        timerSince_.erase(address);
        if (op != kRto) {
            status &= ~kDn;
            acc = 0;
        }
    }
    StoreU32(address, status);
    StoreU32(address + 8, static_cast<uint32_t>(acc));
}

void LadderMachine::Counter(uint8_t op, uint32_t address) {
    uint32_t status = LoadU32(address);
    const auto pre = static_cast<int32_t>(LoadU32(address + 4));
    auto acc = static_cast<int32_t>(LoadU32(address + 8));
    if (op == kRes) {
        if (!rc_) return;
        StoreU32(address, status & ~kStatusBits);
        StoreU32(address + 8, 0);
        timerSince_.erase(address);
        return;
    }
    const uint32_t edgeBit = op == kCtu ? kCu : kCd;
    if (rc_ && !(status & edgeBit)) {
        if (op == kCtu) {
            if (acc == INT32_MAX) status |= kOv;
            acc = Wrap(int64_t{acc} + 1);
        } else {
            if (acc == INT32_MIN) status |= kUn;
            acc = Wrap(int64_t{acc} - 1);
        }
    }
    status = rc_ ? status | edgeBit : status & ~edgeBit;
    status = acc >= pre ? status | kDn : status & ~kDn;
    StoreU32(address, status);
    StoreU32(address + 8, static_cast<uint32_t>(acc));
}

bool LadderMachine::Compare(uint8_t op, uint32_t word) const {
    const uint32_t* w = &program_.words[pc_];
    const int32_t a = Value(OperandType(word, 0), w[1]);
    const int32_t b = Value(OperandType(word, 1), w[2]);
    switch (op) {
        case kEqu: return a == b;
        case kNeq: return a != b;
        case kLes: return a < b;
        case kGrt: return a > b;
        case kLeq: return a <= b;
        case kGeq: return a >= b;
        case kLim: {  // low, test, high; a low limit above the high one tests outside the gap
            const int32_t high = Value(OperandType(word, 2), w[3]);
            return a <= high ? a <= b && b <= high : b >= a || b <= high;
        }
        case kMeq: {  // source, mask, compare
            const int32_t compare = Value(OperandType(word, 2), w[3]);
            return (a & b) == (compare & b);
        }
        default: return false;
    }
}

// Arithmetic, moves and logic: when the rung condition holds, compute in 32 bits and store
// into the last operand. False when a division by zero stopped the program.
bool LadderMachine::Compute(uint8_t op, uint32_t word) {
    if (!rc_) return true;
    const uint32_t* w = &program_.words[pc_];
    const OpInfo& info = *FindOp(op);
    const int last = info.reads;  // index of the destination operand
    const int32_t a = last > 0 ? Value(OperandType(word, 0), w[1]) : 0;
    const int32_t b = last > 1 ? Value(OperandType(word, 1), w[2]) : 0;
    int32_t r = 0;
    switch (op) {
        case kAdd: r = Wrap(int64_t{a} + b); break;
        case kSub: r = Wrap(int64_t{a} - b); break;
        case kMul: r = Wrap(int64_t{a} * b); break;
        case kDiv:
            if (b == 0) return Stop(kRuntimeDivideByZero);
            r = Wrap(int64_t{a} / b);
            break;
        case kMod:
            if (b == 0) return Stop(kRuntimeDivideByZero);
            r = static_cast<int32_t>(int64_t{a} % b);
            break;
        case kNeg: r = Wrap(-int64_t{a}); break;
        case kAbs: r = Wrap(a < 0 ? -int64_t{a} : a); break;
        case kSqr: r = Sqrt(a); break;
        case kMov: r = a; break;
        case kMvm: {
            const int32_t dest = Value(OperandType(word, 2), w[3]);
            r = (dest & ~b) | (a & b);
            break;
        }
        case kClr: r = 0; break;
        case kAnd: r = a & b; break;
        case kOr: r = a | b; break;
        case kXor: r = a ^ b; break;
        case kNot: r = ~a; break;
        case kShl: r = b < 0 || b > 31 ? 0 : Wrap(int64_t{static_cast<uint32_t>(a) << b}); break;
        case kShr: r = b < 0 || b > 31 ? (a < 0 ? -1 : 0) : a >> b; break;
        default: break;
    }
    Store(OperandType(word, last), w[1 + last], r);
    return true;
}

// Copies an array element into its scratch tag (read) or back (write); an index outside
// the array stops the program. Both happen only under a true rung condition: an output
// that did not run left its scratch tag stale (or holding another operand's element), and
// copying that back would overwrite the element.
bool LadderMachine::Index(uint8_t op, uint32_t word) {
    if (!rc_) return true;
    const uint32_t* w = &program_.words[pc_];
    const uint8_t element = Byte1(word);
    int64_t index;
    uint32_t scratch;
    bool write;
    if (op == kIndexed) {
        index = Value(Byte2(word), w[2]);
        if (index < 0 || index >= w[3]) return Stop(kRuntimeArrayIndex);
        scratch = w[4];
        write = Nibble(word) & 1;
    } else {
        const int64_t first = Value(Byte2(word), w[2]), second = Value(Nibble(word), w[3]);
        if (first < 0 || first >= w[4] || second < 0 || second >= w[5]) return Stop(kRuntimeArrayIndex);
        index = first * w[5] + second;
        scratch = w[6];
        write = op == kWriteArray2;
    }
    const uint32_t array = base_ + w[1];
    if (element == kTypeBoolOrImmediate) {  // BOOL elements: 32 to a word, carried as 0/1 in a DINT
        const uint32_t at = array + static_cast<uint32_t>(index / 32) * 4;
        const auto bit = static_cast<uint8_t>(index % 32);
        if (write) SetBit(at, bit, LoadU32(base_ + scratch) != 0);
        else StoreU32(base_ + scratch, GetBit(at, bit) ? 1 : 0);
        return true;
    }
    const uint32_t at = static_cast<uint32_t>(index) * element;
    if (write) Store(element, w[1] + at, Value(element, scratch));
    else Store(element, scratch, Value(element, w[1] + at));
    return true;
}

// JFB: runs the function block on the instance at base + instance address. Calls happen
// whatever the rung condition, so that the parameter copies around them always run.
bool LadderMachine::Call() {
    const uint32_t* w = &program_.words[pc_];
    if (callDepth_ == kMaxCallDepth) return Stop(kRuntimeEndOfStack);
    Frame& f = frames_[callDepth_++];
    f.returnPc = pc_ + 3;
    f.base = base_;
    f.branchDepth = branchDepth_;
    f.branches = branches_;
    base_ += w[2];
    pc_ = w[1] + 2;  // past the function-block header
    return true;
}

void LadderMachine::Return() {
    const Frame& f = frames_[--callDepth_];
    pc_ = f.returnPc;
    base_ = f.base;
    branchDepth_ = f.branchDepth;
    branches_ = f.branches;
    rc_ = true;
}

}  // namespace pontra::sim
