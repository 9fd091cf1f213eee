// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor's typing rules: upper-casing, call parameters, completion,
// Enter, the statement templates, the clipboard, undo, and what stays unchanged online
// or while a download runs.
#include <gtest/gtest.h>

#include <random>

#include "shell/StEditorFixture.h"

namespace pontra::test {
namespace {

struct TypingCase {
    const char* keys;
    const char* text;
};

TEST_F(StEditorTest, TypingUpperCasesLiteralsKeywordsAndStandardFunctions) {
    const TypingCase cases[] = {
        {"x := true;", "x := TRUE;"},
        {"x := False)", "x := FALSE)"},
        {"trueish ", "trueish "},
        {"if x then\n", "IF x THEN\n"},
        {"end_if;", "END_IF;"},
        {"y := abs(z", "y := ABS(z"},
        {"y := max(a, b", "y := MAX(a, b"},
        {"max\n", "max\n"},  // Enter upper-cases colouring words only
        {"not Start", "NOT Start"},
        {"x := y.true ", "x := y.true "},
    };
    for (const auto& c : cases) {
        Open("");
        Type(c.keys);
        EXPECT_EQ(Text(), c.text) << c.keys;
        EXPECT_TRUE(frame.doc().modified);
    }
}

TEST_F(StEditorTest, OpeningBracketAfterAnInstanceFillsInItsParameters) {
    const TypingCase cases[] = {
        {"Inst(", "Inst(In1 := (*_in_BOOL_1*), Io := (*_in_out_DINT_2*), Io => (*_in_out_DINT_3*), "
                  "Out1 => (*_out_BOOL_4*));"},
        {"E(", "E();"},
        {"Ton(",
         "Ton(EN := (*_in_BOOL_1*), PT := (*_in_DINT_2*), Q => (*_out_BOOL_3*), ET => (*_out_DINT_4*));"},
        {"Speed(", "Speed("},  // not an instance
        {"Nope(", "Nope("},    // not a tag
        {"(", "("},
    };
    for (const auto& c : cases) {
        Open("");
        Type(c.keys);
        EXPECT_EQ(Text(), c.text) << c.keys;
        EXPECT_EQ(editor->Caret(), Text().size());
        EXPECT_FALSE(editor->CompletionVisible());
    }
    // One undo takes the parameters back, the next the typing.
    Open("");
    Type("E(");
    ASSERT_EQ(editor->Undo(), StEditor::Outcome::Done);
    EXPECT_EQ(Text(), "E(");
    ASSERT_EQ(editor->Undo(), StEditor::Outcome::Done);
    EXPECT_EQ(Text(), "");
}

TEST_F(StEditorTest, CompletionOffersTagsAndDirectMembersAndEnterCompletesTheTypedPart) {
    Type("x := s");
    EXPECT_TRUE(editor->CompletionVisible());
    EXPECT_EQ(editor->MemberPath(), "s");
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"Speed", "Start"}));
    EXPECT_EQ(editor->CompletionList()[0], (CompletionRow{"Speed", "DINT", "conveyor speed"}));
    EXPECT_EQ(editor->SelectedRow(), 0);
    EXPECT_TRUE(editor->CompletionKey(false));
    EXPECT_TRUE(editor->CompletionKey(false));  // stays on the last row
    EXPECT_EQ(editor->SelectedRow(), 1);
    editor->SelectCompletionRow(0);  // a click on a row
    EXPECT_EQ(editor->SelectedRow(), 0);
    editor->SelectCompletionRow(2);  // no such row
    EXPECT_EQ(editor->SelectedRow(), 0);
    editor->SelectCompletionRow(1);
    Type("\n");
    EXPECT_EQ(Text(), "x := Start");
    EXPECT_FALSE(editor->CompletionVisible());
    EXPECT_EQ(editor->MemberPath(), "");

    Type(" + Tmr.");
    EXPECT_EQ(editor->MemberPath(), "Tmr.");
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"PRE", "ACC", "EN", "TT", "DN"}));
    Type("a");
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"ACC"}));
    Type("\n");  // only what was typed behind the "." is replaced, and no line break
    EXPECT_EQ(Text(), "x := Start + Tmr.ACC");

    Type(" + Ton.Timer.");  // a member of a member lists nothing
    EXPECT_FALSE(editor->CompletionVisible());
    Type(" + Sp");
    EXPECT_TRUE(editor->CompletionVisible());
    Type("+");  // no name under the caret closes the popup
    EXPECT_FALSE(editor->CompletionVisible());
    Type("Sp");
    editor->HideCompletion();  // Escape
    EXPECT_EQ(editor->MemberPath(), "");
    EXPECT_FALSE(editor->CompletionKey(true));  // Up reaches the text again
    Type("\n");
    EXPECT_EQ(Text(), "x := Start + Tmr.ACC + Ton.Timer. + Sp+Sp\n");

    // A completion is undone with the typing it finished.
    Open("");
    Type("x := Sp\n");
    editor->Undo();
    EXPECT_EQ(Text(), "");
}

TEST_F(StEditorTest, BackspaceAndDeleteEditAndFollowTheCompletion) {
    Open("ab\ncd");
    editor->SetSelection(2, 2);
    editor->DeleteKey();  // the line break
    EXPECT_EQ(Text(), "abcd");
    editor->SetSelection(0, 0);
    editor->TypeCharacter(StEditor::kBackspace);  // nothing before the caret
    EXPECT_EQ(Text(), "abcd");
    Open("x := Spe");
    editor->TypeCharacter(StEditor::kBackspace);
    EXPECT_EQ(Text(), "x := Sp");
    EXPECT_EQ(editor->MemberPath(), "Sp");
    editor->DeleteKey();  // at the end: nothing, and the popup closes
    EXPECT_FALSE(editor->CompletionVisible());
}

TEST_F(StEditorTest, TemplatesFollowTheTabsBeforeTheCaretAndAreOneUndoStep) {
    Open("\tx;\n\t\tSTOP");
    editor->SetSelection(6, 10);  // "STOP" after two tabs
    ASSERT_EQ(editor->InsertTemplate(StatementTemplate::For), StEditor::Outcome::Done);
    EXPECT_EQ(Text(),
              "\tx;\n\t\tFOR (*begin*) TO (*end*) BY (*step*) DO\n\t\t\t(*statement*);\n\t\tEND_FOR;\n");
    EXPECT_EQ(editor->Caret(), Text().size());
    editor->Undo();
    EXPECT_EQ(Text(), "\tx;\n\t\tSTOP");

    frame.downloadInProgress = true;
    EXPECT_EQ(editor->InsertTemplate(StatementTemplate::If), StEditor::Outcome::Ignored);
    frame.downloadInProgress = false;
    frame.debugMode = 1;
    EXPECT_EQ(editor->InsertTemplate(StatementTemplate::If), StEditor::Outcome::Ignored);
    EXPECT_EQ(Text(), "\tx;\n\t\tSTOP");
}

TEST_F(StEditorTest, ClipboardCarriesTextWithWindowsLineEnds) {
    Open("a := 1;\nb := 2;");
    editor->SetSelection(0, 0);
    EXPECT_EQ(editor->Copy(), StEditor::Outcome::Nothing);
    editor->SetSelection(5, 9);
    ASSERT_EQ(editor->Cut(), StEditor::Outcome::Done);
    EXPECT_EQ(host.clipboard[Host::kClipboardText], "1;\r\nb");
    EXPECT_EQ(Text(), "a :=  := 2;");
    EXPECT_TRUE(editor->CanPaste());
    editor->SetSelection(0, 0);
    ASSERT_EQ(editor->Paste(), StEditor::Outcome::Done);
    EXPECT_EQ(unit->text, (std::vector<std::string>{"1;", "ba :=  := 2;"}));
    editor->Undo();
    editor->Undo();
    EXPECT_EQ(Text(), "a := 1;\nb := 2;");
}

TEST_F(StEditorTest, OnlineTheTextCannotChangeAndUndoIsRefused) {
    Open("x := 1;");
    Type("\n");
    host.clipboard[Host::kClipboardText] = "pasted";
    frame.debugMode = 1;
    frame.SetModified(false);
    editor->SetSelection(0, 1);
    Type("abc\n");
    editor->TypeCharacter(StEditor::kBackspace);
    editor->DeleteKey();
    EXPECT_EQ(editor->Cut(), StEditor::Outcome::Ignored);
    EXPECT_EQ(editor->Paste(), StEditor::Outcome::Ignored);
    EXPECT_EQ(editor->Undo(), StEditor::Outcome::Refused);
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{CMainFrame::kDebugModeRefusal}));
    EXPECT_EQ(editor->Copy(), StEditor::Outcome::Done);
    EXPECT_EQ(Text(), "x := 1;\n");
    EXPECT_FALSE(frame.doc().modified);

    frame.debugMode = 0;
    frame.downloadInProgress = true;
    EXPECT_EQ(editor->Undo(), StEditor::Outcome::Ignored);
    frame.downloadInProgress = false;
    EXPECT_EQ(editor->Undo(), StEditor::Outcome::Done);
    EXPECT_FALSE(editor->CanUndo());
    EXPECT_EQ(editor->Undo(), StEditor::Outcome::Nothing);
    EXPECT_EQ(host.Messages().back(), "Can't Undo!");
}

// A unit's lines hold at most 512 characters: typing or pasting past that cuts the line
// into pieces of 512, as the importer does, and undo gives the line back whole.
TEST_F(StEditorTest, LinesLongerThanAUnitHoldsAreCutIntoPieces) {
    const std::string a(510, 'a');
    Open(a + "\nEND_IF;");
    editor->SetSelection(510, 510);
    Type("bcd");
    EXPECT_EQ(Text(), a + "bc\nd\nEND_IF;");
    EXPECT_EQ(editor->Caret(), 514u);  // behind the "d"
    editor->SetSelection(3, 3);  // typing near the start pushes the end of the piece on
    Type("x");
    EXPECT_EQ(unit->text[0], "aaax" + std::string(507, 'a') + "b");
    EXPECT_EQ(unit->text[1], "c");  // only the line that grew is cut
    EXPECT_EQ(unit->text[2], "d");
    ASSERT_EQ(editor->Undo(), StEditor::Outcome::Done);
    ASSERT_EQ(editor->Undo(), StEditor::Outcome::Done);
    EXPECT_EQ(Text(), a + "\nEND_IF;");

    Open("x := 1;");
    host.clipboard[Host::kClipboardText] = std::string(1200, 'p') + "\r\n";
    editor->SetSelection(0, 0);
    ASSERT_EQ(editor->Paste(), StEditor::Outcome::Done);
    ASSERT_EQ(unit->text.size(), 4u);
    EXPECT_EQ(unit->text[0].size(), 512u);
    EXPECT_EQ(unit->text[1].size(), 512u);
    EXPECT_EQ(unit->text[2], std::string(176, 'p'));
    EXPECT_EQ(unit->text[3], "x := 1;");
    for (const std::string& line : unit->text) EXPECT_LE(line.size(), kMaxSTLineLength);
    editor->Undo();
    EXPECT_EQ(Text(), "x := 1;");
}

// Random typing, Enter, deletes, pastes, templates and caret moves: undoing every step
// gives back the text as it was opened, and the colours always fit the text.
TEST_F(StEditorTest, UndoingEverythingRestoresTheOpenedText) {
    const std::string opened = "IF a THEN\n\tx := Tmr.PRE; (* note *)\nEND_IF;";
    host.clipboard[Host::kClipboardText] = "y := true;\r\n// c\r\n";
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        Open(opened);
        for (int step = 0; step < 40; ++step) {
            const size_t length = Text().size();
            switch (random() % 7) {
            case 0: editor->SetSelection(random() % (length + 1), random() % (length + 1)); break;
            case 1: Type(std::string(1, " (;.\nSit"[random() % 8])); break;
            case 2: editor->TypeCharacter(StEditor::kBackspace); break;
            case 3: editor->DeleteKey(); break;
            case 4: editor->Paste(); break;
            case 5: editor->InsertTemplate(static_cast<StatementTemplate>(random() % 4)); break;
            case 6: Type("Tmr.a\n"); break;
            }
            for (const ColourRange& r : editor->Colours()) ASSERT_LE(r.end, Text().size());
        }
        while (editor->CanUndo()) editor->Undo();
        ASSERT_EQ(Text(), opened) << "round " << round;
    }
}

}  // namespace
}  // namespace pontra::test
