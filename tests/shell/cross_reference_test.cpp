// SPDX-License-Identifier: GPL-3.0-or-later
// Cross reference: ladder and Structured Text uses of tags and members, indexes, call
// bindings and instances, read/written classification and multiple writers.
#include <gtest/gtest.h>

#include "files/ComponentImport.h"
#include "host/ScriptedHost.h"
#include "shell/CrossReference.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

constexpr const char* kProject = R"(PROGRAM Main

VAR
Run: BOOL;
Level: DINT;
Idx: DINT;
Table: ARRAY[8] OF DINT;
Delay: TIMER;
Ramp1: Ramp;
Result: INT;
END_VAR

RUNG;
XIC(Run);
XIO(Delay.DN);
MOV(Level,Table[Idx]);
RND;

RUNG;
BST;
XIC(Table[2].3);
NXB;
XIC(Inputs.0);
BND;
TON(Delay);
OTE(Run);
RND;

RUNG;
JFB(Ramp1);
MOV(Ramp1.Speed,Result);
OTL(Run);
RND;

END_PROGRAM

FUNCTION_BLOCK Ramp

VAR_INPUT
Target: INT;
END_VAR

VAR_OUTPUT
Speed: INT;
END_VAR

VAR
Goal: INT;
Inner: IEC_TON;
Steps: ARRAY[4] OF INT;
END_VAR

(* Speed := 0; is a comment *)
Goal := Target;
Inner(IN := Goal > 0, PT := T#1s);
IF Inner.Q THEN
    Speed := Steps[Goal] + Speed; // Goal is read here
END_IF;
Speed := Goal;
END_FUNCTION_BLOCK
)";

class CrossReferenceTest : public ::testing::Test {
protected:
    CrossReferenceTest() {
        frame.SetProject(NewProjectDocument());
        host.answers.push_back(true);
        const ImportOutcome outcome = ImportComponents(frame, Crlf(kProject), "xref.txt");
        EXPECT_TRUE(outcome.ok) << (frame.output.Lines().empty() ? "" : frame.output.Lines().back().text);
        ramp = frame.project().FindUnit("Ramp");
    }

    // "place reference access" per use, one string.
    static std::string Describe(const std::vector<TagUse>& uses) {
        std::string out;
        for (const TagUse& use : uses)
            out += UsePlace(use) + ": " + use.reference + " " + std::string(UseAccessName(use.access)) + "\n";
        return out;
    }

    ScriptedHost host;
    CMainFrame frame{host};
    CUnit* ramp = nullptr;
};

TEST_F(CrossReferenceTest, LadderUsesOfTagsMembersAndIndexes) {
    ASSERT_NE(ramp, nullptr);
    const CProject& p = frame.project();
    EXPECT_EQ(Describe(FindTagUses(p, nullptr, "Run")),
              "Main Routine rung 1, XIC operand 1: Run read\n"
              "Main Routine rung 2, OTE operand 1: Run written\n"
              "Main Routine rung 3, OTL operand 1: Run written\n");
    EXPECT_EQ(Describe(FindTagUses(p, nullptr, "Delay")),
              "Main Routine rung 1, XIO operand 1: Delay.DN read\n"
              "Main Routine rung 2, TON operand 1: Delay read/written\n");
    // The array is written through an index that is itself read; an element's bit inside a branch.
    EXPECT_EQ(Describe(FindTagUses(p, nullptr, "Table")),
              "Main Routine rung 1, MOV operand 2: Table[Idx] written\n"
              "Main Routine rung 2, XIC operand 1: Table[2].3 read\n");
    EXPECT_EQ(Describe(FindTagUses(p, nullptr, "Idx")), "Main Routine rung 1, MOV operand 2: Idx read\n");
    // Controller tags are seen from the main program.
    EXPECT_EQ(Describe(FindTagUses(p, nullptr, "Inputs")), "Main Routine rung 2, XIC operand 1: Inputs.0 read\n");
    // A name of another scope is no use.
    EXPECT_TRUE(FindTagUses(p, nullptr, "Goal").empty());
}

TEST_F(CrossReferenceTest, CallInstanceAndBindings) {
    const CProject& p = frame.project();
    EXPECT_EQ(Describe(FindTagUses(p, nullptr, "Ramp1")),
              "Main Routine rung 3, JFB operand 1: Ramp1 read/written\n"
              "Main Routine rung 3, MOV operand 1: Ramp1.Speed read\n");
    // Bindings of the call: the input argument is read, the output argument written.
    CElement& call = *frame.project().doc.rungs[2]->elements[1];
    ASSERT_EQ(call.kind, kKindJFB);
    call.callParams.push_back({"Target", "INT", 1, "Level", ""});
    call.callParams.push_back({"Speed", "INT", 2, "", "Result"});
    EXPECT_EQ(Describe(FindTagUses(p, nullptr, "Level")),
              "Main Routine rung 1, MOV operand 1: Level read\n"
              "Main Routine rung 3, JFB operand 1: Level read\n");
    EXPECT_EQ(Describe(FindTagUses(p, nullptr, "Result")),
              "Main Routine rung 3, JFB operand 1: Result written\n"
              "Main Routine rung 3, MOV operand 2: Result written\n");
    EXPECT_EQ(MultipleWriters(FindTagUses(p, nullptr, "Result")), std::vector<std::string>{"Result"});
}

TEST_F(CrossReferenceTest, StructuredTextUses) {
    const CProject& p = frame.project();
    ASSERT_NE(ramp, nullptr);
    EXPECT_EQ(Describe(FindTagUses(p, ramp, "Goal")),
              "Ramp line 2: Goal written\n"
              "Ramp line 3: Goal read\n"
              "Ramp line 5: Goal read\n"
              "Ramp line 7: Goal read\n");
    // Comments are no uses; an element read through an index; a call parameter name
    // ("IN") is no tag; the instance is called and its member read.
    EXPECT_EQ(Describe(FindTagUses(p, ramp, "Speed")),
              "Ramp line 5: Speed written\n"
              "Ramp line 5: Speed read\n"
              "Ramp line 7: Speed written\n");
    EXPECT_EQ(Describe(FindTagUses(p, ramp, "Inner")),
              "Ramp line 3: Inner read/written\n"
              "Ramp line 4: Inner.Q read\n");
    EXPECT_EQ(Describe(FindTagUses(p, ramp, "Steps")), "Ramp line 5: Steps[Goal] read\n");
    EXPECT_EQ(Describe(FindTagUses(p, ramp, "Target")), "Ramp line 2: Target read\n");
}

TEST_F(CrossReferenceTest, MultipleWritersAcrossLanguages) {
    const CProject& p = frame.project();
    // OTE and OTL of the same bit; Speed assigned on two lines.
    EXPECT_EQ(MultipleWriters(FindTagUses(p, nullptr)), std::vector<std::string>{"Run"});
    EXPECT_EQ(MultipleWriters(FindTagUses(p, ramp)), std::vector<std::string>{"Speed"});
    // Different bits of one tag are different references.
    std::vector<TagUse> bits(2);
    bits[0].reference = "Flags.0";
    bits[1].reference = "Flags.1";
    bits[0].access = bits[1].access = UseAccess::Written;
    EXPECT_TRUE(MultipleWriters(bits).empty());
}

}  // namespace
}  // namespace pontra
