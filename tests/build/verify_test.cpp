// SPDX-License-Identifier: GPL-3.0-or-later
// Verification: every message in its exact form, the order of lines, used flags, scratch
// tags and the instance self-check.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "BuildFixtures.h"
#include "build/VerifyProject.h"
#include "model/Types.h"

namespace pontra {
namespace {

using namespace test;

// A function block with one tag of each usage, and one that holds an instance of it.
void AddMotorBlocks(CProject& p) {
    CUnit& motor = AddFunctionBlock(p, "Motor");
    AddTag(p, motor.tags, "In", "BOOL", kUsageInput);
    AddTag(p, motor.tags, "Val", "DINT", kUsageInput);
    AddTag(p, motor.tags, "Out", "BOOL", kUsageOutput);
    AddTag(p, motor.tags, "Res", "INT", kUsageOutput);
    AddTag(p, motor.tags, "S", "BOOL", kUsageStatic);
    CUnit& outer = AddFunctionBlock(p, "Outer");
    AddTag(p, outer.tags, "Go", "BOOL", kUsageInput);
    AddTag(p, outer.tags, "I", "Motor", kUsageStatic);
    AddTag(p, p.doc.tags, "M", "Motor");
    AddTag(p, p.doc.tags, "O", "Outer");
}

CUnit& Unit(CProject& p, const std::string& name) { return *p.FindUnit(name); }

std::unique_ptr<CElement> Call(const std::string& instance, std::vector<CCallParam> params) {
    auto jfb = El("JFB", {instance});
    jfb->callParams = std::move(params);
    return jfb;
}

CCallParam Param(const std::string& name, const std::string& type, const std::string& input,
                 const std::string& output = "") {
    return {name, type, 0, input, output};
}

struct Case {
    const char* name;
    const char* controllerType;
    std::function<void(CProject&)> setup;
    std::vector<std::string> expected;  // the whole output, line for line
};

const std::string R0 = "Error at Rung: 0, Element: ";
const std::string kHead = "Verify Untitled - Main Routine (0.0.0.0) ...";
const std::string kConfig = "Verify Type Configuration ...";

std::string Summary(int errors) { return "Verify Untitled - " + std::to_string(errors) + " error(s)"; }
std::string NotUsed(const std::string& tag) { return "Warning: Tag: " + tag + " -> Not used"; }

std::vector<Case> Cases() {
    return {
        {"TagNames", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "1abc", "BOOL");
             AddTag(p, p.doc.tags, "a-b", "BOOL");
             AddTag(p, p.doc.tags, "_ok1", "BOOL");
             AddTag(p, p.doc.tags, "", "BOOL");
         },
         {kHead, "Error: Tag: 1abc -> Incorrect tag name", "Error: Tag: a-b -> Incorrect tag name", NotUsed("1abc"),
          NotUsed("a-b"), NotUsed("_ok1"), NotUsed(""), kConfig, Summary(2)}},
        {"TagDescription", "Vessa",
         [](CProject& p) { AddTag(p, p.doc.tags, "T", "BOOL").description = "a {b"; },
         {kHead, "Error: Tag: T -> Incorrect tag description", NotUsed("T"), kConfig, Summary(1)}},
        {"ComponentNames", "Vessa",
         [](CProject& p) {
             AddUserType(p, "9Rec", {{"V", "DINT"}});
             AddFunctionBlock(p, "F-1");
         },
         {kHead, "Verify Type 9Rec ...", "Error: Component: 9Rec -> Incorrect component name",
          "Verify Function Block F-1 ...", "Error: Component: F-1 -> Incorrect component name", kConfig, Summary(2)}},
        {"RungComment", "Vessa",
         [](CProject& p) {
             AddRung(p.doc.rungs);
             AddRung(p.doc.rungs).comment = "end}";
         },
         {kHead, "Error at Rung: 1 -> Incorrect rung comment", kConfig, Summary(1)}},
        {"ThreeDimensionalArrays", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "Cube", "DINT[2,2,2]");
             p.doc.controllerTags[25]->dataType = "INT[2,3,4]";  // connection slot Tag1
         },
         {kHead, "Error at Tag: Cube -> Three dimensional array is not supported.",
          "Error at Controller Tag: Tag1 -> Three dimensional array is not supported.", NotUsed("Cube"), kConfig,
          Summary(2)}},
        {"RegisterInstructionsOnAldera", "Aldera",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "V", "DINT");
             AddRung(p.doc.rungs, Els(El("RDR", {"5", "V"}), El("WRC", {"V", "7"})));
         },
         {kHead, R0 + "RDR -> This command is not supported for Aldera module",
          R0 + "WRC -> This command is not supported for Aldera module", kConfig, Summary(2)}},
        {"DistanceTimersOnBrindle", "Brindle",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "T", "TIMER");
             AddRung(p.doc.rungs, Els(El("DOL", {"T"})));
         },
         {kHead, R0 + "DOL -> This command is not supported to Brindle module", kConfig, Summary(1)}},
        {"MissingOperand", "Vessa", [](CProject& p) { AddRung(p.doc.rungs, Els(El("XIC"))); },
         {kHead, R0 + "XIC, Operand: 0 -> Missing operand", kConfig, Summary(1)}},
        {"LabelNotFirst", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "A", "BOOL");
             AddRung(p.doc.rungs, Els(El("XIC", {"A"}), El("LBL", {"L1"})));
             CRung& rung = AddRung(p.doc.rungs);
             AddBranch(rung, Els(El("LBL", {"L2"})), Els(El("XIC", {"A"})));
             AddRung(p.doc.rungs, Els(El("LBL", {"L3"}), El("XIC", {"A"})));  // first: fine
         },
         {kHead, R0 + "LBL, Operand: 0 -> LBL instruction not first instruction on rung",
          "Error at Rung: 1, Element: LBL, Operand: 0 -> LBL instruction not first instruction on rung", kConfig,
          Summary(2)}},
        {"AliasTargets", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "Lost", "").alias = "Nowhere";
             CUnit& fb = AddFunctionBlock(p, "F");
             AddTag(p, fb.tags, "In", "BOOL", kUsageInput);
             CTag& alias = AddTag(p, fb.tags, "Loc", "", kUsageStatic);
             alias.alias = "In";
             AddRung(p.doc.rungs, Els(El("XIC", {"Lost"})));
             AddRung(fb.rungs, Els(El("XIC", {"Loc"})));
         },
         {kHead, R0 + "XIC, Operand: 0 -> Invalid Base Tag", "Verify Function Block F ...",
          R0 + "XIC, Operand: 0 -> Invalid Base Tag Scope", kConfig, Summary(2)}},
        {"InvalidTypes", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "D", "DINT");
             AddTag(p, p.doc.tags, "T", "TIMER");
             AddRung(p.doc.rungs, Els(El("XIC", {"D"}), El("JFB", {"T"}), El("MOV", {"D", "7"}), El("TON", {"Nope"})));
         },
         {kHead, R0 + "XIC, Operand: 0 -> Invalid type", R0 + "JFB, Operand: 0 -> Invalid type",
          R0 + "MOV, Operand: 1 -> Invalid type", R0 + "TON, Operand: 0 -> Invalid type", kConfig, Summary(4)}},
        {"NotValidNumber", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "D", "DINT");
             AddRung(p.doc.rungs, Els(El("ADD", {"D", "99999999999", "D"}), El("EQU", {"16#FF", "D"})));
         },
         {kHead, R0 + "ADD, Operand: 1 -> Not valid number", R0 + "EQU, Operand: 0 -> Not valid number", kConfig,
          Summary(2)}},
        {"ReadScopeRules", "Vessa",
         [](CProject& p) {
             AddMotorBlocks(p);
             AddRung(p.doc.rungs, Els(El("XIC", {"M.S"}), El("XIC", {"O.I.Out"}), El("XIC", {"M.Out"})));
         },
         {kHead, R0 + "XIC, Operand: 0 -> Can't read from Function Block Static tag",
          R0 + "XIC, Operand: 0 -> Can't read from Function Block Inherited Static tag",
          "Verify Function Block Motor ...", NotUsed("In"), NotUsed("Val"), NotUsed("Out"), NotUsed("Res"),
          NotUsed("S"), "Verify Function Block Outer ...", NotUsed("Go"), NotUsed("I"), kConfig, Summary(2)}},
        {"WriteScopeRules", "Vessa",
         [](CProject& p) {
             AddMotorBlocks(p);
             AddRung(p.doc.rungs, Els(El("OTE", {"M.Out"}), El("OTE", {"M.S"}), El("OTE", {"O.I.In"}), El("OTE", {"M.In"})));
             AddRung(Unit(p, "Motor").rungs, Els(El("OTE", {"In"})));
         },
         {kHead, R0 + "OTE, Operand: 0 -> Can't write in Function Block Output tag",
          R0 + "OTE, Operand: 0 -> Can't write in Function Block Static tag",
          R0 + "OTE, Operand: 0 -> Can't write in Function Block Inherited Static tag",
          "Verify Function Block Motor ...", R0 + "OTE, Operand: 0 -> Can't write in own Input tag", NotUsed("Val"),
          NotUsed("Out"), NotUsed("Res"), NotUsed("S"), "Verify Function Block Outer ...", NotUsed("Go"),
          NotUsed("I"), kConfig, Summary(4)}},
        {"RegistersByControllerType", "VessaK1",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "V", "INT");
             AddRung(p.doc.rungs, Els(El("RDR", {"10031", "V"}), El("RDR", {"10100", "V"}), El("RDR", {"05", "V"}),
                                      El("WRR", {"V", "10100"}), El("RDR", {"10131", "V"}), El("RDR", {"10099", "V"})));
         },
         {kHead,
          R0 + "RDR, Operand: 0 -> Not valid number (Register No must be in range from 1 up to 512, 10000 up to 10030 or 10100 up to 10130)",
          R0 + "RDR, Operand: 0 -> Not valid number (Register No must be in range from 1 up to 512, 10000 up to 10030 or 10100 up to 10130)",
          R0 + "WRR, Operand: 1 -> Not valid number (Register No must be in range from 1 up to 512)",
          R0 + "RDR, Operand: 0 -> Not valid number (Register No must be in range from 1 up to 512, 10000 up to 10030 or 10100 up to 10130)",
          R0 + "RDR, Operand: 0 -> Not valid number (Register No must be in range from 1 up to 512, 10000 up to 10030 or 10100 up to 10130)",
          kConfig, Summary(5)}},
        {"RegistersOn48V", "VessaK2/K3-48V",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "V", "INT");
             AddRung(p.doc.rungs, Els(El("RDR", {"10150", "V"}), El("RDR", {"10201", "V"}), El("RDR", {"9999", "V"})));
         },
         {kHead,
          R0 + "RDR, Operand: 0 -> Not valid number (Register No must be in range from 1 up to 512 or 10000 up to 10200)",
          R0 + "RDR, Operand: 0 -> Not valid number (Register No must be in range from 1 up to 512 or 10000 up to 10200)",
          kConfig, Summary(2)}},
        {"RegistersOnVessa", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "V", "INT");
             AddRung(p.doc.rungs, Els(El("RDR", {"513", "V"}), El("RDR", {"+5", "V"}), El("WRC", {"V", "116"}),
                                      El("WRR", {"V", "116"}), El("WRC", {"V", "512"})));
         },
         {kHead, R0 + "RDR, Operand: 0 -> Not valid number (Register No must be in range from 1 up to 512)",
          R0 + "RDR, Operand: 0 -> Not valid number (Register No must be in range from 1 up to 512)",
          R0 + "WRC, Operand: 1 -> Forbidden register number (Register 116 is Controller Output Tag)", kConfig,
          Summary(3)}},
        {"RegistersAtTheEndsOfTheirRangesOnVessaK1", "VessaK1",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "V", "INT");
             AddRung(p.doc.rungs, Els(El("RDR", {"1", "V"}), El("RDR", {"512", "V"}), El("RDR", {"10000", "V"}),
                                      El("RDR", {"10030", "V"}), El("RDR", {"10100", "V"}), El("RDR", {"10130", "V"}),
                                      El("WRR", {"V", "1"}), El("WRR", {"V", "512"}), El("WRC", {"V", "1"}),
                                      El("WRC", {"V", "512"})));
         },
         {kHead, kConfig, Summary(0)}},
        {"RegistersAtTheEndsOfTheirRangesOn48V", "VessaK2/K3-48V",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "V", "INT");
             AddRung(p.doc.rungs, Els(El("RDR", {"512", "V"}), El("RDR", {"10000", "V"}), El("RDR", {"10200", "V"}),
                                      El("WRC", {"V", "512"})));
         },
         {kHead, kConfig, Summary(0)}},
        {"RegistersAtTheEndsOfTheirRangesOnVessa", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "V", "INT");
             AddRung(p.doc.rungs, Els(El("RDR", {"1", "V"}), El("RDR", {"512", "V"}), El("WRR", {"V", "512"}),
                                      El("WRC", {"V", "512"}), El("WRC", {"V", "117"})));
         },
         {kHead, kConfig, Summary(0)}},
        {"ForbiddenRegistersOnBrindle", "Brindle",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "V", "INT");
             AddRung(p.doc.rungs, Els(El("WRC", {"V", "52"}), El("WRC", {"V", "54"}), El("WRC", {"V", "81"})));
         },
         {kHead, R0 + "WRC, Operand: 1 -> Forbidden register number (Register 52 is Controller Output Tag)",
          R0 + "WRC, Operand: 1 -> Forbidden register number (Register 81 is Controller Output Tag)", kConfig,
          Summary(2)}},
        {"ArrayForms", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "A", "DINT[3]");
             AddTag(p, p.doc.tags, "F", "BOOL[4]");
             AddTag(p, p.doc.tags, "D", "DINT");
             AddTag(p, p.doc.tags, "i", "DINT");
             AddRung(p.doc.rungs, Els(El("XIC", {"F[i]"}), El("MOV", {"A[i", "D"}), El("MOV", {"D[i]", "D"}),
                                      El("MOV", {"F[i]", "D"}), El("MOV", {"A[i,i]", "D"})));
         },
         {kHead, R0 + "XIC, Operand: 0 -> Invalid array", R0 + "MOV, Operand: 0 -> Invalid array",
          R0 + "MOV, Operand: 0 -> Invalid array", R0 + "MOV, Operand: 0 -> Invalid array type",
          R0 + "MOV, Operand: 0 -> Invalid array dimension", NotUsed("A"), NotUsed("F"), NotUsed("i"), kConfig,
          Summary(5)}},
        {"OneDimensionalIndexes", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "A", "DINT[3]");
             AddTag(p, p.doc.tags, "D", "DINT");
             AddTag(p, p.doc.tags, "B", "BOOL");
             AddRung(p.doc.rungs, Els(El("MOV", {"A[]", "D"}), El("MOV", {"A[3]", "D"}), El("MOV", {"A[2]", "D"}),
                                      El("MOV", {"A[B]", "D"}), El("MOV", {"A[Q]", "D"})));
         },
         {kHead, R0 + "MOV, Operand: 0 -> Invalid array index", R0 + "MOV, Operand: 0 -> Array index is out of range",
          R0 + "MOV, Operand: 0 -> Invalid array index type", R0 + "MOV, Operand: 0 -> Invalid array index",
          NotUsed("B"), kConfig, Summary(4)}},
        {"TwoDimensionalIndexes", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "G", "INT[2,3]");
             AddTag(p, p.doc.tags, "D", "DINT");
             AddTag(p, p.doc.tags, "i", "SINT");
             AddTag(p, p.doc.tags, "B", "BOOL");
             AddRung(p.doc.rungs,
                     Els(El("MOV", {"G[,i]", "D"}), El("MOV", {"G[2,i]", "D"}), El("MOV", {"G[B,i]", "D"}),
                         El("MOV", {"G[i,]", "D"}), El("MOV", {"G[i,3]", "D"}), El("MOV", {"G[i,B]", "D"})));
         },
         {kHead, R0 + "MOV, Operand: 0 -> Invalid array index at first dimension",
          R0 + "MOV, Operand: 0 -> Array index  at first dimension is out of range",
          R0 + "MOV, Operand: 0 -> Invalid array index type at first dimension",
          R0 + "MOV, Operand: 0 -> Invalid array index at second dimension",
          R0 + "MOV, Operand: 0 -> Array index  at second dimension is out of range",
          R0 + "MOV, Operand: 0 -> Invalid array index type at second dimension", NotUsed("G"), NotUsed("B"), kConfig,
          Summary(6)}},
        {"CallBindings", "Vessa",
         [](CProject& p) {
             AddMotorBlocks(p);
             AddTag(p, p.doc.tags, "B", "BOOL");
             AddTag(p, p.doc.tags, "D", "DINT");
             AddTag(p, p.doc.tags, "Lost", "").alias = "Nowhere";
             AddRung(p.doc.rungs,
                     Els(Call("M", {Param("Nope", "BOOL", "B"), Param("In", "BOOL", "Q"), Param("Val", "DINT", "12x"),
                                    Param("In", "BOOL", "Lost"), Param("In", "BOOL", "D")}),
                         Call("M", {Param("Out", "BOOL", "", "Q"), Param("Out", "BOOL", "", "Lost"),
                                    Param("Res", "INT", "", "B"), Param("Val", "DINT", "5", "D")})));
         },
         {kHead, R0 + "JFB, Operand: 0 -> Tag M.Nope is not valid", R0 + "JFB, Operand: 0 -> Invalid tag (Input: In)",
          R0 + "JFB, Operand: 0 -> Not valid number (Input: Val)",
          R0 + "JFB, Operand: 0 -> Invalid Base Tag (Input: In)", R0 + "JFB, Operand: 0 -> Invalid type (Input: In)",
          R0 + "JFB, Operand: 0 -> Invalid tag (Output: Out)",
          R0 + "JFB, Operand: 0 -> Invalid Base Tag (Output: Out)",
          R0 + "JFB, Operand: 0 -> Invalid type (Output: Res)", NotUsed("O"), "Verify Function Block Motor ...",
          NotUsed("In"), NotUsed("Val"), NotUsed("Out"), NotUsed("Res"), NotUsed("S"),
          "Verify Function Block Outer ...", NotUsed("Go"), NotUsed("I"), kConfig, Summary(8)}},
        {"CallBindingScopes", "Vessa",
         [](CProject& p) {
             AddMotorBlocks(p);
             CUnit& outer = Unit(p, "Outer");
             AddTag(p, outer.tags, "Flag", "BOOL", kUsageStatic);
             AddRung(outer.rungs, Els(Call("I", {Param("Out", "BOOL", "", "Go"), Param("In", "BOOL", "Flag")})));
             AddRung(p.doc.rungs, Els(Call("M", {Param("In", "BOOL", "O.I.Out")})));
         },
         {kHead, R0 + "JFB, Operand: 0 -> Can't read from Function Block Inherited Static tag (Input: In)",
          "Verify Function Block Motor ...", NotUsed("In"), NotUsed("Val"), NotUsed("Out"), NotUsed("Res"),
          NotUsed("S"), "Verify Function Block Outer ...",
          R0 + "JFB, Operand: 0 -> Can't write in own Input tag (Output: Out)", kConfig, Summary(2)}},
        {"NotUsedWarnings", "Vessa",
         [](CProject& p) {
             AddTag(p, p.doc.tags, "Idle", "DINT");
             AddTag(p, p.doc.tags, "A", "DINT[4]");
             AddTag(p, p.doc.tags, "k", "INT");
             AddTag(p, p.doc.tags, "D", "DINT");
             AddRung(p.doc.rungs, Els(El("MOV", {"A[k]", "D"})));
             AddFunctionBlock(p, "F");
             AddTag(p, Unit(p, "F").tags, "Spare", "BOOL", kUsageStatic);
         },
         {kHead, NotUsed("Idle"), "Verify Function Block F ...", NotUsed("Spare"), kConfig, Summary(0)}},
    };
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class VerifyMessages : public ::testing::TestWithParam<Case> {};

TEST_P(VerifyMessages, ProduceExactlyTheseLines) {
    const Case& c = GetParam();
    Bench bench(c.controllerType);
    c.setup(bench.project());
    SaveAndReload(bench);
    VerifyProject(bench.frame);
    EXPECT_EQ(bench.Lines(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Verify, VerifyMessages, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Verify, ValidOperandsGiveNoLinesBeyondHeaderAndSummary) {
    Bench bench("VessaK2/K3-48V");
    CProject& p = bench.project();
    AddMotorBlocks(p);
    AddTag(p, p.doc.tags, "A", "DINT[3]");
    AddTag(p, p.doc.tags, "D", "DINT");
    AddTag(p, p.doc.tags, "B", "BOOL");
    AddTag(p, p.doc.tags, "T", "TIMER");
    AddTag(p, p.doc.tags, "_x1", "INT");
    AddRung(p.doc.rungs, Els(El("XIC", {"M.Out"}), El("XIC", {"T.DN"}), El("XIC", {"D.31"}), El("OTE", {"M.In"}),
                             El("ADD", {"A[2]", "-5", "D"}), El("RDR", {"10150", "_x1"}), El("WRC", {"_x1", "115"}),
                             El("TON", {"T"}), El("DOR", {"T"}), El("JMP", {"L"}), El("OTE", {"B"})));
    AddRung(p.doc.rungs, Els(El("LBL", {"L"}), Call("M", {Param("Val", "DINT", "7")}), Call("O", {})));
    AddRung(Unit(p, "Motor").rungs, Els(El("XIC", {"In"}), El("XIC", {"S"}), El("OTE", {"Out"}), El("MOV", {"Val", "Res"})));
    AddRung(Unit(p, "Outer").rungs, Els(El("XIC", {"Go"}), El("XIC", {"I.Out"}), El("OTE", {"I.In"}), Call("I", {})));
    SaveAndReload(bench);
    EXPECT_TRUE(VerifyProject(bench.frame));
    EXPECT_EQ(bench.Lines(), (std::vector<std::string>{"Verify Untitled - Main Routine (0.0.0.0) ...",
                                                       "Verify Function Block Motor ...",
                                                       "Verify Function Block Outer ...",
                                                       "Verify Type Configuration ...",
                                                       "Verify Untitled - 0 error(s)"}));
}

TEST(Verify, SummaryCountsErrorsButNotWarningsAndShortensTheTitle) {
    Bench bench;
    bench.doc().pathName = "/tmp/Conveyor.clp";
    bench.doc().SetModuleAddress(0x7F000005);
    AddTag(bench.project(), bench.doc().tags, "1x", "BOOL");
    AddRung(bench.doc().rungs, Els(El("XIC"), El("OTE")));
    SaveAndReload(bench);
    EXPECT_FALSE(VerifyProject(bench.frame));
    EXPECT_EQ(bench.Lines(), (std::vector<std::string>{"Verify Conveyor.clp - Main Routine (127.0.0.5) ...",
                                                       "Error: Tag: 1x -> Incorrect tag name",
                                                       R0 + "XIC, Operand: 0 -> Missing operand",
                                                       R0 + "OTE, Operand: 0 -> Missing operand",
                                                       NotUsed("1x"),
                                                       kConfig,
                                                       "Verify Conveyor.clp - 3 error(s)"}));
    // The error lines of elements lead back to their elements.
    const auto jump = bench.frame.output.JumpToOutputLine(bench.project(), 2);
    EXPECT_EQ(jump.element, bench.doc().rungs[0]->elements[1].get());
}

TEST(Verify, ScratchTagsAreCreatedOnceForIndexedAccessAndClearedEachRun) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "INT[5]");
    AddTag(p, p.doc.tags, "i", "DINT");
    AddTag(p, p.doc.tags, "D", "DINT");
    AddRung(p.doc.rungs, Els(El("MOV", {"A[i]", "D"}), El("MOV", {"D", "A[i]"})));
    CUnit& fb = AddFunctionBlock(p, "F");
    AddTag(p, fb.tags, "L", "SINT[2]", kUsageStatic);
    AddTag(p, fb.tags, "j", "SINT", kUsageStatic);
    AddRung(fb.rungs, Els(El("CLR", {"L[j]"})));
    SaveAndReload(bench);
    ASSERT_TRUE(VerifyProject(bench.frame)) << ::testing::PrintToString(bench.Lines());
    const TagList& work = bench.doc().workTags;
    ASSERT_EQ(work.size(), 3u);
    EXPECT_EQ(work[2]->name, "TagIArray2");
    EXPECT_EQ(work[2]->dataType, "DINT");
    EXPECT_EQ(work[2]->style, "Decimal");
    EXPECT_EQ(Unit(bench.project(), "F").tags2.size(), 3u);
    bench.doc().rungs.clear();
    VerifyProject(bench.frame);
    EXPECT_TRUE(work.empty());
}

TEST(Verify, UsedFlagsFollowAliasesAndParents) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "Word", "DINT");
    AddTag(p, p.doc.tags, "Bit", "").alias = "Word.3";
    AddRung(p.doc.rungs, Els(El("XIC", {"Bit"})));
    SaveAndReload(bench);
    EXPECT_TRUE(VerifyProject(bench.frame));
    EXPECT_EQ(bench.Lines(), (std::vector<std::string>{kHead, kConfig, Summary(0)}));
}

TEST(Verify, SelfCheckPassesForNestedInstancesAndWritesNoLog) {
    Bench bench;
    AddMotorBlocks(bench.project());
    SaveAndReload(bench);
    VerifyProject(bench.frame);
    EXPECT_EQ(bench.frame.verificationLog.front(), "VerifyProgram\r\n");
    EXPECT_EQ(bench.frame.verificationLog.back(), "CheckTagsPlaces -> OK\r\n");
    EXPECT_TRUE(bench.host.Messages().empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(bench.host.TempFolder()) / "LogTags.txt"));
}

TEST(Verify, SelfCheckFailureWritesTheLogAndAsksForSupportButKeepsTheResult) {
    Bench bench;
    bench.host.settings[kSupportAddressSetting] = "help@line.example";
    CProject& p = bench.project();
    AddMotorBlocks(p);
    AddTag(p, Unit(p, "Motor").tags, "Late", "DINT", kUsageStatic);  // instances now lag behind
    SaveAndReload(bench);
    EXPECT_TRUE(VerifyProject(bench.frame));
    EXPECT_EQ(bench.frame.verificationLog.back(), "CheckTagsPlaces -> Error!!!\r\n");
    const auto logPath = std::filesystem::path(bench.host.TempFolder()) / "LogTags.txt";
    const auto log = ReadFile(logPath.string());
    const std::string text(log.begin(), log.end());
    EXPECT_TRUE(text.starts_with("VerifyProgram\r\nCheckTagsPlaces -> ")) << text;
    EXPECT_NE(text.find("sizeSub = 5; sizeUnitArr = 6"), std::string::npos) << text;
    ASSERT_EQ(bench.host.Messages().size(), 1u);
    const std::string message = bench.host.Messages()[0];
    EXPECT_TRUE(message.starts_with("Critical Error!!!")) << message;
    EXPECT_NE(message.find(logPath.string()), std::string::npos);
    EXPECT_NE(message.find("help@line.example"), std::string::npos);
}

TEST(Verify, SelfCheckComparesMemberTypesAndNames) {
    for (int variant = 0; variant < 2; ++variant) {
        Bench bench;
        CProject& p = bench.project();
        AddUserType(p, "Rec", {{"V", "DINT"}, {"F", "BOOL"}});
        CTag& rec = AddTag(p, p.doc.tags, "R", "Rec");
        if (variant == 0) rec.members[1]->dataType = "SINT";
        else rec.members[1]->name = "R.G";
        SaveAndReload(bench);
        VerifyProject(bench.frame);
        EXPECT_EQ(bench.frame.verificationLog.back(), "CheckTagsPlaces -> Error!!!\r\n") << variant;
    }
}

}  // namespace
}  // namespace pontra
