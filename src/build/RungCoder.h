// SPDX-License-Identifier: GPL-3.0-or-later
// Code generation for the rungs of one unit: the encoders of every instruction family
// (see ImageFormat.h for the words they produce) and the ladder rung generator. The
// Structured Text rung generator (StructuredTextRungCode.h) uses the same encoders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "build/CodeBuffer.h"
#include "build/OperandScope.h"
#include "model/Ladder.h"

namespace pontra {

class OutputWindow;

// An LBL at the start of a rung, or a JMP, met while generating a unit's code.
struct CLabel {
    const CElement* element = nullptr;
    std::string name;
    int position = 0;  // byte offset: of the label's rung, or of the JMP word
    int rung = 0;
    int resolved = 0;
};

// A JFB whose target word receives the callee's code word index once all units are built.
struct CJFB {
    int unitIndex = 0;
    int position = -1;  // byte offset of the target word
};

// What the generation of one unit collects for resolution.
struct UnitCodeRecords {
    std::vector<CLabel> labels;
    std::vector<CLabel> jumps;
    std::vector<CJFB> calls;  // kept for the whole build
};

// A resolved operand: a tag's address, or an immediate value with type code 0.
struct CodeOperand {
    uint32_t word = 0;
    uint8_t typeCode = 0;
    const CTag* tag = nullptr;  // the tag that holds the value (alias resolved); null for an immediate
};

class RungCoder {
public:
    RungCoder(const UnitScope& scope, CodeBuffer& code, OutputWindow& output, UnitCodeRecords& records);

    // The rung being generated (its index appears in error lines and label records).
    void SetRung(int rung) { rung_ = rung; }
    int Rung() const { return rung_; }
    // False once an operand could not be encoded (the reason is in the output window).
    bool Ok() const { return ok_; }
    const UnitScope& Scope() const { return scope_; }

    void Emit(uint32_t word) { code_.Emit(word); }
    void EmitSimple(uint8_t code);

    // Instruction families; each encodes `element` completely.
    void EmitBitInstruction(uint8_t code, const CElement& element, int operand = 0);
    void EmitOneShot(const CElement& element);
    void EmitTimerCounter(const CElement& element);
    void EmitGeneral(const CElement& element);
    void EmitRegister(const CElement& element);
    void EmitJump(const CElement& element);
    // The call itself: JFB word, target word (fixed up later), instance address.
    void EmitCall(const CElement& element);
    // The call with the copies of its bound parameters before and after (ladder units).
    void EmitCallWithCopies(const CElement& element);

    // The tag or immediate an operand text stands for; reports and returns none when
    // it is neither.
    std::optional<CodeOperand> Resolve(const CElement& element, int operand, const std::string& text);
    // A bit operand: byte 1 position and the 4-aligned address word.
    std::optional<std::pair<uint8_t, uint32_t>> BitOperand(const CElement& element, int operand,
                                                           const std::string& text);

    // Reports an operand that cannot be encoded.
    void Fail(const CElement& element, int operand, const std::string& text);

private:
    bool EmitArrayAccess(const CElement& element, int operand, bool write, CodeOperand& replaced,
                         std::vector<uint32_t>* deferred);
    void EmitCopyBranch(const CElement& element, const std::string& instance, bool inputs);

    const UnitScope& scope_;
    CodeBuffer& code_;
    OutputWindow& output_;
    UnitCodeRecords& records_;
    int rung_ = 0;
    bool ok_ = true;
};

// Instruction code of an element kind in the general, bit, timer and register families.
uint8_t InstructionCodeForKind(int kind);

// Encodes the instructions that ladder and Structured Text units share (bit, one-shot,
// timer and counter, general, register, JMP, RFB); false for the kinds each generator
// handles itself (rung structure, JFB) and for kinds that produce no code.
bool EmitCommonInstruction(RungCoder& coder, const CElement& element);

// Appends one ladder rung (RUNG ... RND, branches and all) to the coder's buffer.
void GenerateLadderRung(RungCoder& coder, const CRung& rung);

}  // namespace pontra
