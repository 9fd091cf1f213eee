// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor of one function block, without a window: the unit's text
// with its selection and undo history, the colours, the completion popup's rows, the
// keyword upper-casing, the call-parameter text, the statement templates, find and the
// hover tip. The GUI's editor window owns one, routes keys, characters, clicks and
// commands to it, and draws what it holds.
//
// Positions are character indices into the text, a line break counting as one. The
// caret is the end of the selection.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Unit.h"
#include "shell/StColouring.h"
#include "shell/StCompletion.h"
#include "shell/StHoverTip.h"
#include "shell/StTextBuffer.h"
#include "shell/StTextSearch.h"
#include "shell/StTokenLookup.h"
#include "st/SymbolTable.h"
#include "st/Templates.h"

namespace pontra {

class CMainFrame;

class StEditor {
public:
    static constexpr char kBackspace = 8;
    static constexpr const char* kCannotUndo = "Can't Undo!";

    // Colours the unit's text once.
    StEditor(CMainFrame& frame, CUnit& unit);
    StEditor(const StEditor&) = delete;
    StEditor& operator=(const StEditor&) = delete;

    CUnit& unit() { return unit_; }
    const StTextBuffer& Text() const { return text_; }
    TextSpan Selection() const { return {selStart_, selEnd_}; }
    size_t Caret() const { return selEnd_; }
    // A click or a caret move: the selection [from, to) (clamped), caret at `to`. Stops
    // the typing group.
    void SetSelection(size_t from, size_t to);
    // A double click: the word around `pos` within its line.
    void SelectWordAt(size_t pos);

    // --- colours -------------------------------------------------------------------
    const std::vector<ColourRange>& Colours() const { return colours_; }
    void Recolour();

    // The token that ends at or covers `p`, as the whole lexer sees the text now.
    std::optional<TokenHit> TokenAt(long long p);

    // --- typing ----------------------------------------------------------------------
    // A character message (backspace is kBackspace). Dropped online in debug mode.
    void TypeCharacter(char c);
    // Enter: completes the name from the selected row while the popup is open, else
    // breaks the line.
    void CompleteOrBreakLine();
    // The Delete key: the selection, or the character behind the caret.
    void DeleteKey();

    // --- completion popup --------------------------------------------------------------
    bool CompletionVisible() const { return popupVisible_; }
    const std::vector<CompletionRow>& CompletionList() const { return rows_; }
    int SelectedRow() const { return selectedRow_; }  // -1 for none
    const std::string& MemberPath() const { return memberPath_; }
    // Escape, and everything that closes the popup: a click, the context menu, scrolling,
    // the mouse wheel, resizing, focus loss.
    void HideCompletion();
    // Up and Down: true when the popup took the key (it is open), so it does not reach
    // the text.
    bool CompletionKey(bool up);
    // A click on a row of the open popup chooses it (Enter then takes it); other rows
    // are ignored.
    void SelectCompletionRow(int row);
    // Left, Right, Page Up, Page Down, Home and End close the popup before the caret moves.
    void CaretKey();

    // --- commands ----------------------------------------------------------------------
    enum class Outcome {
        Ignored,  // a download is running, or the text cannot change online (dropped)
        Refused,  // online in debug mode; the refusal was shown
        Nothing,  // nothing to do (empty selection, empty clipboard, no undo step)
        Done,
    };
    Outcome Cut();
    Outcome Copy();
    Outcome Paste();
    // The context menu's "&Paste" is enabled only when the clipboard holds text.
    bool CanPaste();
    // "Undo": online refused; with nothing to undo "Can't Undo!".
    Outcome Undo();
    bool CanUndo() const { return text_.CanUndo(); }
    // The IF, ELSIF, CASE and FOR buttons: the template replaces the selection, its lines
    // indented by the tabs before the caret on the caret's line.
    Outcome InsertTemplate(StatementTemplate kind);

    // --- find --------------------------------------------------------------------------
    // "Find Next": selects the hit and returns it; on a miss the selection stays (the
    // front end signals the miss as its toolkit does).
    std::optional<TextSpan> FindNext(const TextFindOptions& options);
    TextFindOptions findOptions;  // the find dialog's fields while it exists

    // --- hover tip ---------------------------------------------------------------------
    int instanceBase = -1;  // of the view's selected instance online; -1 for none
    void SetLiveValues(const LiveValueSource* live) { live_ = live; }
    // The tip for the selected text (trailing blanks removed), or none when it names no
    // variable.
    std::optional<std::string> HoverText();
    struct HoverTip {
        bool visible = false;
        std::string text = "This is a tool tip!";
        unsigned background = kHoverBackground;
    };
    // A mouse message inside the editor: `overSelection` tells whether the mouse is over
    // the selected text as drawn. The tip shows the selection's variable, or hides.
    void UpdateHoverTip(bool overSelection);
    const HoverTip& Tip() const { return tip_; }

private:
    bool Online() const;
    HoverContext Context();
    // The symbol table, built on first use in each handler: the project may change
    // between handlers, not within one.
    SymbolTable& Symbols();
    void Colour();  // Recolour with the handler's symbol table
    size_t Replace(size_t from, size_t to, std::string_view text, StTextBuffer::Record record);
    // After a cut, paste, Delete key or text replacement.
    void AfterChange(bool changed);
    void MarkModified();
    bool UpperCaseWord(long long p, bool keywords, bool functions, StTextBuffer::Record record);
    void InsertCallParameters(size_t caret);
    void FillCompletion(char c, size_t caret);

    CMainFrame& frame_;
    CUnit& unit_;
    StTextBuffer text_;
    size_t selStart_ = 0, selEnd_ = 0;
    std::vector<ColourRange> colours_;
    TokenList tokens_;  // the lexer's tokens of the text at tokensVersion_
    uint64_t tokensVersion_ = 0;
    bool tokensValid_ = false;
    std::optional<SymbolTable> symbols_;
    CUnit standIn_;  // stands for the unit while the symbol table is built
    std::string memberPath_;
    std::vector<CompletionRow> rows_;
    int selectedRow_ = -1;
    bool popupVisible_ = false;
    const LiveValueSource* live_ = nullptr;
    HoverTip tip_;
};

}  // namespace pontra
