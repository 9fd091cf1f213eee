// SPDX-License-Identifier: GPL-3.0-or-later
// Component import: round trips through the text form, every error path with its line,
// the replace questions, Structured Text bodies and hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "files/ComponentExport.h"
#include "files/ComponentText.h"
#include "files/Records.h"
#include "model/Types.h"

namespace pontra::test {
namespace {

struct Imported {
    ScriptedHost host;
    CMainFrame frame{host};
    ImportOutcome outcome;

    explicit Imported(std::string_view text, bool answer = true) {
        frame.SetProject(NewProject());
        host.defaultAnswer = answer;
        outcome = ImportComponents(frame, Crlf(text), "t.txt");
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> errors;
        for (const auto& line : frame.output.Lines())
            if (line.text.starts_with("Error")) errors.push_back(line.text);
        return errors;
    }
    std::vector<std::string> Units() const {
        std::vector<std::string> names;
        for (const auto& u : frame.project().units) names.push_back(u->name);
        return names;
    }
};

std::string ComponentOf(const CProject& p, const char* name) {
    const CUnit* unit = p.FindUnit(name);
    if (!unit) return "(missing)";
    return *ExportText(p, unit->IsType() ? ExportSubject::Type : ExportSubject::FunctionBlock, unit);
}

TEST(ComponentImport, MainTaskExportImportsBackIntoAnEmptyProject) {
    auto source = ComponentProject();
    const std::string text = *ExportText(*source, ExportSubject::MainTask);

    ScriptedHost host;
    host.defaultAnswer = true;
    CMainFrame frame(host);
    const ImportOutcome outcome = ImportComponents(frame, text, "Task.txt");
    ASSERT_TRUE(outcome.ok) << OutputText(frame);
    EXPECT_EQ(OutputText(frame), "Import Task.txt ...\nImport Task.txt - OK\n");
    EXPECT_EQ(host.log, std::vector<std::string>{"okcancel: Do you want to replace Main Program?"});
    EXPECT_TRUE(frame.doc().modified);

    const CProject& p = frame.project();
    EXPECT_EQ(*ExportText(p, ExportSubject::MainProgram), *ExportText(*source, ExportSubject::MainProgram));
    for (const char* unit : {"Pair", "Conveyor", "Ramp"}) EXPECT_EQ(ComponentOf(p, unit), ComponentOf(*source, unit));
    EXPECT_EQ(p.FindUnit("Ramp")->text, source->FindUnit("Ramp")->text);
    // A local tag of a block comes back as static.
    EXPECT_EQ(FindTag(p.FindUnit("Conveyor")->tags, "Local")->usage, kUsageStatic);

    // Tags whose types came later in the file have the members of those types.
    const CTag& both = *FindTag(p.doc.tags, "Both");
    ASSERT_EQ(both.members.size(), 2u);
    EXPECT_EQ(both.members[0]->name, "Both.Left");
    EXPECT_EQ(both.members[0]->members.size(), 16u);
    EXPECT_EQ(both.members[1]->initialValue, "1");
    CTag expected("Conv1", "Conveyor");
    BuildMembers(p, expected);
    EXPECT_TRUE(FindTag(p.doc.tags, "Conv1")->SameAs(expected));
    EXPECT_EQ(p.FindType("Pair")->members.size(), 2u);

    // Legs hang off the rung of their branch, as the editor builds them.
    const CRung& rung = *p.doc.rungs[0];
    const CElement& branch = *rung.elements[2];
    ASSERT_EQ(branch.kind, kKindBranch);
    for (const auto& leg : branch.legs) {
        EXPECT_EQ(leg->parent, &rung);
        EXPECT_EQ(leg->flag, 1);
        EXPECT_EQ(leg->elements[0]->parent, leg.get());
    }
    EXPECT_EQ(rung.elements[3]->kind, kKindBranchEnd);
}

struct ErrorCase {
    const char* name;
    const char* text;
    std::vector<std::string> errors;
    std::vector<std::string> units;  // what the import still added
};

class ImportErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ImportErrors, ReportLineAndRoutineAndGoOn) {
    Imported run(GetParam().text);
    EXPECT_FALSE(run.outcome.ok);
    EXPECT_EQ(run.Errors(), GetParam().errors);
    EXPECT_EQ(run.frame.output.Lines().back().text, "Import t.txt - Error");
    EXPECT_TRUE(run.frame.compileError);
    EXPECT_EQ(run.Units(), GetParam().units);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportErrors,
    ::testing::Values(
        ErrorCase{"FileStartsWithVar", "VAR\nA: DINT;\nEND_VAR\n",
                  {"Error at line 1 : OnImport : Imported file is not Pontra component"}, {}},
        ErrorCase{"ArrayDimensionZero", "TYPE T\nVAR\nA: ARRAY[0] OF DINT;\nB: DINT;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Array dimension can't be negative value"}, {"T"}},
        ErrorCase{"ArrayDimensionNoValue", "TYPE T\nVAR\nA: ARRAY[N] OF DINT;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Array dimension must be a value"}, {"T"}},
        ErrorCase{"SecondDimensionNegative", "TYPE T\nVAR\nA: ARRAY[2,-1] OF DINT;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Array second dimension can't be negative value"}, {"T"}},
        ErrorCase{"SecondDimensionNoValue", "TYPE T\nVAR\nA: ARRAY[2,x] OF DINT;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Array second dimension must be a value"}, {"T"}},
        ErrorCase{"UnknownInstruction", "FUNCTION_BLOCK F\nRUNG;\nFOO(A);\nXIC(B);\nRND;\nEND_FUNCTION_BLOCK\n",
                  {"Error at line 3 : stmt_element : Token FOO is not an element"}, {"F"}},
        ErrorCase{"MissingEndVar", "FUNCTION_BLOCK F\nVAR\nA: DINT;\nRUNG;\nRND;\nEND_FUNCTION_BLOCK\n",
                  {"Error at line 4 : match : Must be 'END_VAR' instead 'RUNG'"}, {"F"}},
        ErrorCase{"MissingEndFunctionBlock",
                  "FUNCTION_BLOCK A\nRUNG;\nRND;\n\nFUNCTION_BLOCK B\nRUNG;\nRND;\nEND_FUNCTION_BLOCK\n",
                  {"Error at line 5 : match : Must be 'END_FUNCTION_BLOCK' instead 'FUNCTION_BLOCK'"}, {"A", "B"}},
        ErrorCase{"UnknownType", "TYPE T\nVAR\nA: Missing;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Data Type Missing is not exist!"}, {"T"}},
        ErrorCase{"TypeContainsItself", "TYPE T\nVAR\nA: T;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Can't use Type T because of recursion!"}, {"T"}},
        // The instance stops where the block comes round again (it built 200,000 members of
        // ever longer names, some 180 MB, from these few lines).
        ErrorCase{"InstanceOfABlockThatHoldsItself",
                  "FUNCTION_BLOCK B\nVAR_INPUT\nLeft: B;\nRight: B;\nEND_VAR\nEND_FUNCTION_BLOCK\n"
                  "TYPE T\nVAR\nInner: B;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Can't use Type B because of recursion!",
                   "Error at line 4 : stmt_var : Can't use Type B because of recursion!"},
                  {"B", "T"}},
        ErrorCase{"ValueOutOfRange", "TYPE T\nVAR\nS: SINT := 300;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Initial value '300' of S: Value must be in range from -128 up to 127!"},
                  {"T"}},
        ErrorCase{"TooManyValues", "TYPE T\nVAR\nD: TIMER := (1,2,3,4,5,6);\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 3 : stmt_var : Tag D has 5 initial values, not 6"}, {"T"}},
        ErrorCase{"DuplicateTag", "TYPE T\nVAR\nA: DINT;\nA: INT;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 4 : stmt_var : Tag with name A is already exist!"}, {"T"}},
        ErrorCase{"BranchLeftOpen", "FUNCTION_BLOCK F\nRUNG;\nBST;\nXIC(A);\nRND;\nEND_FUNCTION_BLOCK\n",
                  {"Error at line 5 : match : Must be 'BND' instead 'RND'"}, {"F"}},
        ErrorCase{"UnclosedAttribute", "TYPE T\nVAR\nA{description = open: DINT;\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 5 : match : Must be '}' instead ''",
                   "Error at line 5 : match : Must be 'END_VAR' instead ''",
                   "Error at line 5 : match : Must be 'END_TYPE' instead ''"},
                  {"T"}},
        ErrorCase{"PredefinedTypeName", "TYPE TIMER\nVAR\nEND_VAR\nEND_TYPE\n",
                  {"Error at line 1 : stmt_type : Component with name TIMER already exist!"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A main program of one rung with `depth` branches, each nested in the first leg of the one before.
std::string NestedBranches(int depth) {
    std::string text = "PROGRAM Main\nRUNG;\n";
    for (int i = 0; i < depth; ++i) text += "BST;\nXIC(A);\n";
    for (int i = 0; i < depth; ++i) text += "NXB;\nXIO(A);\nBND;\n";
    return text + "RND;\nEND_PROGRAM\n";
}

int BranchDepth(const CRung& rungOrLeg) {
    int depth = 0;
    for (const auto& element : rungOrLeg.elements)
        for (const auto& leg : element->legs) depth = std::max(depth, 1 + BranchDepth(*leg));
    return depth;
}

// The rung keeps branches up to the limit; one more is reported at its BST and left out,
// its legs' elements staying in the enclosing leg.
TEST(ComponentImport, BranchesNestUpToTheLimit) {
    Imported atLimit(NestedBranches(kMaxBranchDepth));
    ASSERT_TRUE(atLimit.outcome.ok) << OutputText(atLimit.frame);
    const CRung& kept = *atLimit.frame.doc().rungs.at(0);
    EXPECT_EQ(BranchDepth(kept), kMaxBranchDepth);
    std::string text = RungText(kept);
    std::erase(text, '\r');
    const std::string nested = NestedBranches(kMaxBranchDepth);
    const size_t rung = nested.find("RUNG;");
    EXPECT_EQ(text, nested.substr(rung, nested.find("END_PROGRAM") - rung) + "\n");

    Imported onePast(NestedBranches(kMaxBranchDepth + 1));
    EXPECT_FALSE(onePast.outcome.ok);
    const int line = 3 + 2 * kMaxBranchDepth;  // the 65th BST
    EXPECT_EQ(onePast.Errors(), std::vector<std::string>{"Error at line " + std::to_string(line) +
                                                         " : stmt_element : Branches nested deeper than " +
                                                         std::to_string(kMaxBranchDepth) + " levels"});
    ASSERT_EQ(onePast.frame.doc().rungs.size(), 1u);
    EXPECT_EQ(BranchDepth(*onePast.frame.doc().rungs[0]), kMaxBranchDepth);
}

TEST(ComponentImport, ReadingGoesOnAfterAnError) {
    Imported run("FUNCTION_BLOCK F\nVAR\nA: ARRAY[0] OF DINT;\nB: DINT := -5;\nEND_VAR\n"
                 "RUNG;\nFOO(A,B);\nBST;\nXIC(B);\nNXB;\nBND;\nMOV(-5,Tab[1,2]);\nRND;\nEND_FUNCTION_BLOCK\n");
    const CUnit& f = *run.frame.project().FindUnit("F");
    ASSERT_EQ(f.tags.size(), 1u);
    EXPECT_EQ(f.tags[0]->initialValue, "-5");
    EXPECT_EQ(f.tags[0]->members[31]->initialValue, "1");
    std::string text = RungText(*f.rungs[0]);
    std::erase(text, '\r');
    EXPECT_EQ(text, "RUNG;\nBST;\nXIC(B);\nNXB;\nBND;\nMOV(-5,Tab[1,2]);\nRND;\n\n");
}

// Lines longer than the compiler's 512 characters and descriptions over several lines
// are read whole.
TEST(ComponentImport, LongLinesAndMultiLineDescriptionsStayWhole) {
    std::string values;
    for (int i = 0; i < 300; ++i) values += (i ? "," : "") + std::to_string(i);
    const std::string description(600, 'd');
    Imported run("TYPE T\nVAR\nA{description = " + description + "}: ARRAY[300] OF DINT := (" + values +
                 ");\nB{description = two\nlines}: BOOL;\nEND_VAR\nEND_TYPE\n");
    ASSERT_TRUE(run.outcome.ok) << OutputText(run.frame);
    const CUnit& t = *run.frame.project().FindUnit("T");
    EXPECT_EQ(t.tags[0]->description, description);
    EXPECT_EQ(t.tags[0]->members[299]->initialValue, "299");
    EXPECT_EQ(t.tags[1]->description, "two\r\nlines");
    EXPECT_EQ(DeclarationLine(run.frame.project(), *t.tags[0]),
              "A{description = " + description + "}: ARRAY[300] OF DINT := (" + values + ");\r\n");
}

TEST(ComponentImport, ReplaceQuestionsDecideWhatStays) {
    const char* text = "FUNCTION_BLOCK Conveyor\nVAR_INPUT\nGo: BOOL;\nEND_VAR\nRUNG;\nRND;\nEND_FUNCTION_BLOCK\n"
                       "PROGRAM Main\nRUNG;\nXIC(Go);\nRND;\nEND_PROGRAM\n";
    for (bool ok : {false, true}) {
        ScriptedHost host;
        CMainFrame frame(host);
        frame.SetProject(ComponentProject());
        const CUnit* before = frame.project().FindUnit("Conveyor");
        host.answers = {ok, false};  // the block as chosen, the main program stays
        const ImportOutcome outcome = ImportComponents(frame, Crlf(text), "t.txt");
        EXPECT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.declined, ok ? 1 : 2);
        EXPECT_EQ(host.log, (std::vector<std::string>{
                                "okcancel: Component with name Conveyor already exist!\r\nDo you want to replace it?",
                                "okcancel: Do you want to replace Main Program?"}));
        const CProject& p = frame.project();
        const CUnit* after = p.FindUnit("Conveyor");
        EXPECT_EQ(after == before, !ok);
        const std::vector<std::string> closed = {"close: fb:Conveyor:routine", "close: fb:Conveyor:tags"};
        EXPECT_EQ(host.windows, ok ? closed : std::vector<std::string>{});
        EXPECT_EQ(after->tags.size(), ok ? 1u : 5u);
        EXPECT_EQ(p.units[1].get(), after);  // a replacement keeps the place in the list
        EXPECT_EQ(p.doc.rungs[0]->elements.size(), 5u);
        EXPECT_EQ(p.doc.modified, ok);
        // The main program's instance of the block follows the block it now has.
        EXPECT_EQ(FindTag(p.doc.tags, "Conv1")->members.size(), ok ? 1u : 5u);
    }
}

TEST(ComponentImport, StructuredTextBodyIsTakenLineForLine) {
    const std::string longLine(600, 'y');
    Imported run("FUNCTION_BLOCK S\nVAR\nX: DINT;\nEND_VAR\n\n\n  (* a { brace } *)\n\tX := X + 1;\n\n" + longLine +
                 "\nEND_FUNCTION_BLOCK\n");
    const CUnit& s = *run.frame.project().FindUnit("S");
    EXPECT_TRUE(s.IsStructuredText());
    EXPECT_EQ(s.text, (std::vector<std::string>{"", "  (* a { brace } *)", "\tX := X + 1;", "", longLine.substr(0, 512),
                                                longLine.substr(512)}));
    EXPECT_EQ(run.Errors(),
              std::vector<std::string>{"Error at line 10 : stmt_function_block : Line is longer than 512 characters"});
    EXPECT_TRUE(s.rungs.empty());
}

TEST(ComponentImport, HostileFilesEndInErrorsNotCrashes) {
    std::mt19937 random(7);
    std::string garbage(10 * 1024 * 1024, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    std::string words;
    while (words.size() < 10 * 1024 * 1024) words += "RUNG; BST; XIC(A{comment = x}; NXB; ARRAY[3 OF ;; := ( , \n";
    std::string nested = "PROGRAM Main\nRUNG;\n";
    for (int i = 0; i < 5000; ++i) nested += "BST;\nXIC(A);\n";
    const std::string texts[] = {
        garbage,
        "PROGRAM Main\n" + garbage,
        "FUNCTION_BLOCK F\nVAR\n" + garbage,
        "FUNCTION_BLOCK F\n" + words,
        "TYPE T\nVAR\n" + words,
        std::string(100000, '{') + "}",
        nested,
    };
    for (const auto& text : texts) {
        Imported run(text);
        EXPECT_EQ(run.frame.output.Lines().back().text, "Import t.txt - Error");
        EXPECT_LE(run.frame.output.Lines().size(), 103u);
    }
}

}  // namespace
}  // namespace pontra::test
