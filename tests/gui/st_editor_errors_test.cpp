// SPDX-License-Identifier: GPL-3.0-or-later
// Compiler errors in the Structured Text editor window: after a verify each line the
// output names for this block is marked and underlined, a jump selects it, and the next
// verify clears what it no longer reports.
#include <gtest/gtest.h>

#include "StWindowBench.h"
#include "shell/CommandSet.h"

#include <QTextBlock>

namespace pontra::test {
namespace {

class StEditorErrorsTest : public ::testing::Test, public StWindowBench {
protected:
    // "Verify Program" as the main window runs it, then the views re-read the model.
    void Verify() {
        InvokeCommand(bench.frame, Command::VerifyProgram);
        window->ModelChanged();
    }
    std::vector<std::string> Output() {
        std::vector<std::string> lines;
        for (const auto& line : bench.frame.output.Lines()) lines.push_back(line.text);
        return lines;
    }
};

TEST_F(StEditorErrorsTest, VerifyMarksEachErrorLineAndTheNextVerifyClearsThem) {
    calc->text = {"x := 1;", "x := Speed +;", "Speed := 2;", "x := Nowhere;", "Start := TRUE;"};
    CTag& instance = AddTag(bench.project(), bench.doc().tags, "C1", "Calc");
    (void)instance;
    AddRung(bench.doc().rungs, Els(El("JFB", {"C1"})));
    Open();
    Verify();
    std::vector<int> expected;
    for (size_t i = 0; i < Output().size(); ++i) {
        const OutputJump jump = bench.frame.output.JumpToOutputLine(bench.project(), i);
        if (jump.kind == OutputJump::Kind::TextLine) expected.push_back(jump.line);
    }
    ASSERT_EQ(expected.size(), 2u) << ::testing::PrintToString(Output());
    EXPECT_EQ(Text()->ErrorLines(), (std::vector<int>{2, 4})) << ::testing::PrintToString(Output());
    // Each marked line is underlined (a band and a wave underline per line).
    const auto selections = Text()->extraSelections();
    ASSERT_EQ(selections.size(), 4);
    EXPECT_EQ(selections[1].cursor.selectedText(), "x := Speed +;");
    EXPECT_EQ(selections[1].format.underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_EQ(selections[3].cursor.selectedText(), "x := Nowhere;");

    // A double-click on an error line in the output window selects the line.
    for (size_t i = 0; i < Output().size(); ++i) {
        const OutputJump jump = bench.frame.output.JumpToOutputLine(bench.project(), i);
        if (jump.kind != OutputJump::Kind::TextLine) continue;
        ASSERT_TRUE(window->ShowJump(jump));
        EXPECT_EQ(Text()->textCursor().selectedText().toStdString(), calc->text[static_cast<size_t>(jump.line - 1)]);
        EXPECT_EQ(Text()->textCursor().block().blockNumber() + 1, jump.line);
    }
    OutputJump elsewhere;
    elsewhere.kind = OutputJump::Kind::TextLine;
    elsewhere.line = 1;
    EXPECT_FALSE(window->ShowJump(elsewhere)) << "a line of another unit";

    // Fixed by typing: the next verify clears the marks.
    window->core().SetSelection(0, window->core().Text().Length());
    TypeKeys(Text(), "x := Speed + 1;");
    EXPECT_EQ(Text()->ErrorLines(), (std::vector<int>{2, 4})) << "marks stay until the next verify";
    Verify();
    EXPECT_TRUE(Text()->ErrorLines().empty()) << ::testing::PrintToString(Output());
    EXPECT_TRUE(Text()->extraSelections().isEmpty());
}

}  // namespace
}  // namespace pontra::test
