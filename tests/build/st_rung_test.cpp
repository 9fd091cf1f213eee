// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text rung generator on hand-made rungs, as the compiler will hand them
// over: bit operations on the rung condition, calls without copies, no branches.
#include <gtest/gtest.h>

#include "BuildFixtures.h"
#include "build/CodeBuffer.h"
#include "build/StructuredTextRungCode.h"
#include "build/TagLayout.h"
#include "shell/OutputWindow.h"

namespace pontra {
namespace {

using namespace test;

constexpr uint32_t I(uint8_t code, uint8_t b1 = 0, uint8_t b2 = 0, uint8_t b3 = 0xA0) {
    return uint32_t{code} | uint32_t{b1} << 8 | uint32_t{b2} << 16 | uint32_t{b3} << 24;
}

class StructuredTextRungs : public ::testing::Test {
protected:
    void SetUp() override {
        project = NewProject();
        unit = &AddFunctionBlock(*project, "Calc", true);
        callee = &AddFunctionBlock(*project, "Inner");
        AddTag(*project, unit->tags, "a", "BOOL", kUsageInput);   // 0 bit 0
        AddTag(*project, unit->tags, "b", "BOOL", kUsageOutput);  // 0 bit 1
        AddTag(*project, unit->tags, "n", "SINT", kUsageStatic);  // 4
        AddTag(*project, unit->tags, "In", "Inner", kUsageStatic);
        AddTag(*project, unit->stVariables, "_Acc", "DINT");
        LayoutCursor cursor;
        InitialImage image(0);
        for (auto* list : {&unit->tags, &unit->stVariables})
            for (auto& tag : *list) PlaceTag(*project, *tag, cursor, image);
    }

    std::vector<uint32_t> Generate(const CRung& rung) {
        CodeBuffer code;
        UnitScope scope = FunctionBlockScope(*project, *unit);
        RungCoder coder(scope, code, output, records);
        GenerateStructuredTextRung(coder, rung);
        ok = coder.Ok();
        std::vector<uint32_t> words;
        auto bytes = code.Code();
        for (size_t i = 0; i < bytes.size(); i += 4) words.push_back(Word(bytes, i));
        return words;
    }

    std::unique_ptr<CProject> project;
    CUnit* unit = nullptr;
    CUnit* callee = nullptr;
    ScriptedHost host;
    OutputWindow output{host};
    UnitCodeRecords records;
    bool ok = false;
};

TEST_F(StructuredTextRungs, BitOperationsCombineIntoTheRungCondition) {
    CRung& rung = AddRung(unit->rungs, Els(El("XIC", {"a"}), El("OR", {"b", kBitOperationMarker}),
                                           El("XOR", {"n.2", kBitOperationMarker}), El("AND", {"a", kBitOperationMarker}),
                                           El("NOT", {"", kBitOperationMarker}), El("NOT", {"b", kBitOperationMarker}),
                                           El("OTE", {"b"})));
    EXPECT_EQ(Generate(rung), (std::vector<uint32_t>{I(1), I(11, 0), 0, I(28, 1), 0, I(29, 2), 4, I(27, 0), 0, I(20), 0,
                                                     I(30, 1), 0, I(13, 1), 0, I(6)}));
    EXPECT_TRUE(ok);
}

TEST_F(StructuredTextRungs, WordOperationsAndCompilerVariablesEncodeAsInLadder) {
    const int acc = unit->stVariables[0]->address;
    CRung& rung = AddRung(unit->rungs, Els(El("ADD", {"n", "1", "_Acc"}), El("NOT", {"_Acc", "_Acc"})));
    EXPECT_EQ(Generate(rung), (std::vector<uint32_t>{I(1), I(41, 1, 0, 0xA4), 4, 1, static_cast<uint32_t>(acc),
                                                     I(59, 4, 4), static_cast<uint32_t>(acc), static_cast<uint32_t>(acc),
                                                     I(6)}));
}

TEST_F(StructuredTextRungs, CallsCarryNoCopiesAndBranchesProduceNothing) {
    auto call = El("JFB", {"In"});
    call->callParams = {{"X", "BOOL", 1, "a", ""}};
    CRung& rung = AddRung(unit->rungs, Els(std::move(call)));
    AddBranch(rung, Els(El("XIC", {"a"})), Els(El("XIC", {"b"})));
    const uint32_t instance = static_cast<uint32_t>(unit->tags[3]->address);
    EXPECT_EQ(Generate(rung), (std::vector<uint32_t>{I(1), I(78), 0, instance, I(6)}));
    ASSERT_EQ(records.calls.size(), 1u);
    EXPECT_EQ(records.calls[0].unitIndex, 1);
    EXPECT_EQ(records.calls[0].position, 8);
}

TEST_F(StructuredTextRungs, MisusedMarkerIsReportedNotEncoded) {
    CRung& rung = AddRung(unit->rungs, Els(El("AND", {"", kBitOperationMarker})));
    Generate(rung);
    EXPECT_FALSE(ok);
    ASSERT_EQ(output.Lines().size(), 1u);
    EXPECT_EQ(output.Lines()[0].text, "Error at Rung: 0, Element: AND, Operand: 0 -> Can't build operand ");
}

}  // namespace
}  // namespace pontra
