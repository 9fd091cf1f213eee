// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StEditor.h"

#include <algorithm>
#include <cctype>

#include "build/OperandScope.h"
#include "model/Project.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

using Record = StTextBuffer::Record;

// Lines are read this far when the tabs before the caret are counted.
constexpr size_t kTemplateLineLimit = 512;

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

}  // namespace

StEditor::StEditor(CMainFrame& frame, CUnit& unit) : frame_(frame), unit_(unit), text_(unit.text) {
    Colour();
}

bool StEditor::Online() const {
    return frame_.debugMode != 0;
}

HoverContext StEditor::Context() {
    return HoverContext{&frame_.project(), Online(), instanceBase, live_};
}

// The editor asks the symbol table for standard functions and for the parameters of
// function blocks, never for the variables of its own unit, which it looks up among the
// unit's tags itself. So the table is built for an empty stand-in of the unit: the same
// entries, without the cost of the unit's whole tag tree on every keystroke.
SymbolTable& StEditor::Symbols() {
    if (!symbols_) {
        standIn_.name = unit_.name;
        symbols_.emplace(BuildSymbolTable(frame_.project(), frame_.standardLibrary, standIn_));
    }
    return *symbols_;
}

void StEditor::MarkModified() {
    if (!frame_.doc().modified) frame_.SetModified(true);
}

size_t StEditor::Replace(size_t from, size_t to, std::string_view text, Record record) {
    const size_t end = text_.Replace(from, to, text, record);
    selStart_ = selEnd_ = end;
    return end;
}

void StEditor::SetSelection(size_t from, size_t to) {
    const size_t length = text_.Length();
    from = std::min(from, length);
    to = std::min(to, length);
    selStart_ = std::min(from, to);
    selEnd_ = std::max(from, to);
    text_.StopTyping();
}

void StEditor::SelectWordAt(size_t pos) {
    pos = std::min(pos, text_.Length());
    const size_t line = text_.LineOf(pos);
    const size_t start = text_.LineStart(line);
    const TextSpan word = WordAround(text_.Lines().empty() ? "" : text_.Lines()[line], pos - start);
    SetSelection(start + word.first, start + word.second);
}

// --- colours and tokens ------------------------------------------------------------------

void StEditor::Recolour() {
    symbols_.reset();
    Colour();
}

void StEditor::Colour() {
    colours_ = ColourText(text_, [this](std::string_view name) {
        const SymbolEntry* entry = Symbols().Find(name);
        return entry && entry->category == "ST_FUNC";
    });
}

std::optional<TokenHit> StEditor::TokenAt(long long p) {
    // The token list is a function of the text alone: lex again only when it changed.
    if (!tokensValid_ || tokensVersion_ != text_.Version()) {
        tokens_ = LexText(text_);
        tokensVersion_ = text_.Version();
        tokensValid_ = true;
    }
    return pontra::TokenAt(tokens_, text_, p);
}

// --- typing ----------------------------------------------------------------------------------

// The identifier ending at or covering `p` is written in upper case when that makes it
// TRUE or FALSE (`keywords` false), or a colouring word or, with `functions`, a standard
// function name.
bool StEditor::UpperCaseWord(long long p, bool keywords, bool functions, Record record) {
    const std::optional<TokenHit> hit = TokenAt(p);
    if (!hit || hit->token->kind != kTokIdentifier || hit->begin < 0) return false;
    const std::string upper = Upper(hit->token->text);
    bool wanted = upper == "TRUE" || upper == "FALSE";
    if (keywords) {
        wanted = IsColouringWord(upper);
        if (!wanted && functions) {
            const SymbolEntry* entry = Symbols().Find(upper);
            wanted = entry && entry->category == "ST_FUNC";
        }
    }
    if (!wanted) return false;
    const size_t caret = selEnd_;
    const size_t begin = static_cast<size_t>(hit->begin);
    text_.Replace(begin, begin + upper.size(), upper, record);
    selStart_ = selEnd_ = caret;
    return true;
}

void StEditor::TypeCharacter(char c) {
    if (Online()) return;
    const unsigned char code = static_cast<unsigned char>(c);
    // Enter arrives as CompleteOrBreakLine; other control characters insert nothing.
    if (code < 32 && c != '\t' && c != kBackspace) return;
    symbols_.reset();

    const uint64_t before = text_.Version();
    if (c != kBackspace) {
        Replace(selStart_, selEnd_, std::string(1, c), Record::Typing);
    } else if (selStart_ != selEnd_) {
        Replace(selStart_, selEnd_, "", Record::Typing);
    } else if (selStart_ > 0) {
        Replace(selStart_ - 1, selStart_, "", Record::Typing);
    }
    const bool changed = text_.Version() != before;
    rows_.clear();
    selectedRow_ = -1;
    const size_t q = selEnd_;

    const bool wordCharacter = IsNameCharacter(c) || c == kBackspace;
    const bool upperCased =
        changed && q > 0 &&
        ((!wordCharacter && UpperCaseWord(static_cast<long long>(q) - 1, false, false, Record::Join)) ||
         ((c == ' ' || c == '(' || c == ';') &&
          UpperCaseWord(static_cast<long long>(q) - 1, true, true, Record::Join)));
    if (upperCased) {
        HideCompletion();
        MarkModified();
        Colour();
        return;
    }
    if (c == '(')
        InsertCallParameters(q);
    else
        FillCompletion(c, q);

    if (!rows_.empty()) {
        popupVisible_ = true;
        selectedRow_ = 0;
    } else {
        popupVisible_ = false;
        memberPath_.clear();
    }
    if (text_.Version() != before) MarkModified();
    Colour();
}

// A call of a function-block instance gets its parameter list behind the "(" just typed.
void StEditor::InsertCallParameters(size_t caret) {
    const size_t line = text_.LineOf(caret);
    const int column = static_cast<int>(caret - text_.LineStart(line));  // just behind the "("
    TokenAt(static_cast<long long>(caret));                              // brings the token list up to date
    const int wanted = static_cast<int>(line) + 1;
    const Token* name = nullptr;
    for (size_t i = 0; i < tokens_.size(); ++i) {
        const Token& t = *tokens_[i];
        if (t.line != wanted || t.column != column) continue;
        if (t.text == "(" && i > 0 && tokens_[i - 1]->line == wanted) name = tokens_[i - 1].get();
        break;
    }
    if (!name) return;
    CProject& project = frame_.project();
    const UnitScope scope{&project, &unit_, {&unit_.tags, &project.doc.controllerTags}, nullptr, {}};
    const CTag* tag = FindOperandTag(scope, name->text).tag;
    if (!tag || !project.FindType(tag->dataType)) return;
    const SymbolEntry* block = Symbols().Find(tag->dataType);
    if (!block || block->category != "FUNCTION_BLOCK") return;
    Replace(caret, caret, CallParameterText(*block), Record::Step);
}

void StEditor::FillCompletion(char c, size_t caret) {
    const long long p = static_cast<long long>(c == '.' ? caret - 1 : caret);
    const std::optional<TokenHit> hit = TokenAt(p);
    if (!hit || hit->token->kind != kTokIdentifier || p - hit->begin <= 0) return;
    memberPath_ = hit->token->text.substr(0, static_cast<size_t>(p - hit->begin));
    if (c == '.') memberPath_ += ".";
    rows_ = CompletionRows(unit_, memberPath_);
}

void StEditor::CompleteOrBreakLine() {
    if (Online()) return;
    symbols_.reset();
    if (popupVisible_) {
        const bool complete = selectedRow_ >= 0 && static_cast<size_t>(selectedRow_) < rows_.size();
        if (complete) {
            // The completed name belongs to the typing it finishes, so one undo takes both back.
            const size_t typed = std::min(TypedPartLength(memberPath_), selEnd_);
            Replace(selEnd_ - typed, selEnd_, rows_[static_cast<size_t>(selectedRow_)].name, Record::Join);
        }
        AfterChange(complete);
        return;
    }
    const size_t q = Replace(selStart_, selEnd_, "\n", Record::Step);
    UpperCaseWord(static_cast<long long>(q) - 1, true, false, Record::Join);
    AfterChange(true);
}

void StEditor::DeleteKey() {
    if (Online()) return;
    symbols_.reset();
    const uint64_t before = text_.Version();
    if (selStart_ != selEnd_)
        Replace(selStart_, selEnd_, "", Record::Step);
    else if (selEnd_ < text_.Length())
        Replace(selEnd_, selEnd_ + 1, "", Record::Step);
    AfterChange(text_.Version() != before);
}

void StEditor::AfterChange(bool changed) {
    HideCompletion();
    if (!changed) return;
    MarkModified();
    Colour();
}

// --- completion popup --------------------------------------------------------------------

void StEditor::HideCompletion() {
    if (!popupVisible_) return;
    memberPath_.clear();
    popupVisible_ = false;
}

bool StEditor::CompletionKey(bool up) {
    if (!popupVisible_) return false;
    if (rows_.empty() || selectedRow_ < 0) return true;
    const int last = static_cast<int>(rows_.size()) - 1;
    selectedRow_ = std::clamp(selectedRow_ + (up ? -1 : 1), 0, last);
    return true;
}

void StEditor::SelectCompletionRow(int row) {
    if (popupVisible_ && row >= 0 && static_cast<size_t>(row) < rows_.size()) selectedRow_ = row;
}

void StEditor::CaretKey() {
    HideCompletion();
    text_.StopTyping();
}

// --- commands ------------------------------------------------------------------------------

StEditor::Outcome StEditor::Copy() {
    if (!PassesBusyGuard(frame_, Command::Copy)) return Outcome::Ignored;
    if (selStart_ == selEnd_) return Outcome::Nothing;
    std::string text;
    for (char c : text_.Text(selStart_, selEnd_)) {
        if (c == '\n') text += '\r';
        text += c;
    }
    Host& host = frame_.host();
    host.EmptyClipboard();
    host.SetClipboard(Host::kClipboardText, text);
    return Outcome::Done;
}

StEditor::Outcome StEditor::Cut() {
    if (!PassesBusyGuard(frame_, Command::Cut) || Online()) return Outcome::Ignored;
    symbols_.reset();
    if (Copy() != Outcome::Done) return Outcome::Nothing;
    Replace(selStart_, selEnd_, "", Record::Step);
    AfterChange(true);
    return Outcome::Done;
}

bool StEditor::CanPaste() {
    const std::optional<std::string> text = frame_.host().GetClipboard(Host::kClipboardText);
    return text && !text->empty();
}

StEditor::Outcome StEditor::Paste() {
    if (!PassesBusyGuard(frame_, Command::Paste) || Online()) return Outcome::Ignored;
    symbols_.reset();
    const std::optional<std::string> text = frame_.host().GetClipboard(Host::kClipboardText);
    if (!text || text->empty()) return Outcome::Nothing;
    Replace(selStart_, selEnd_, *text, Record::Step);
    AfterChange(true);
    return Outcome::Done;
}

StEditor::Outcome StEditor::Undo() {
    if (!PassesBusyGuard(frame_, Command::Undo)) return Outcome::Ignored;
    if (!PassesDebugGuard(frame_, Command::Undo)) return Outcome::Refused;
    if (!text_.CanUndo()) {
        frame_.host().Message(kCannotUndo);
        return Outcome::Nothing;
    }
    symbols_.reset();
    const size_t caret = text_.Undo();
    selStart_ = selEnd_ = std::min(caret, text_.Length());
    AfterChange(true);
    return Outcome::Done;
}

StEditor::Outcome StEditor::InsertTemplate(StatementTemplate kind) {
    if (!PassesBusyGuard(frame_, EditAction::StTemplate) || Online()) return Outcome::Ignored;
    symbols_.reset();
    int tabs = 0;
    if (!text_.Lines().empty()) {
        const size_t line = text_.LineOf(selStart_);
        const std::string& text = text_.Lines()[line];
        const size_t upTo = std::min({selStart_ - text_.LineStart(line), text.size(), kTemplateLineLimit});
        tabs = static_cast<int>(
            std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(upTo), '\t'));
    }
    Replace(selStart_, selEnd_, TemplateText(kind, tabs), Record::Step);
    AfterChange(true);
    return Outcome::Done;
}

// --- find ------------------------------------------------------------------------------------

std::optional<TextSpan> StEditor::FindNext(const TextFindOptions& options) {
    const std::optional<TextSpan> hit = FindInText(text_.AllText(), Selection(), options);
    if (hit) SetSelection(hit->first, hit->second);
    return hit;
}

// --- hover tip -------------------------------------------------------------------------------

std::optional<std::string> StEditor::HoverText() {
    std::string name = text_.Text(selStart_, selEnd_);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    if (name.empty()) return std::nullopt;
    const HoverContext context = Context();
    const std::optional<HoverVariable> variable = ResolveHoverVariable(context, unit_, name);
    if (!variable) return std::nullopt;
    return HoverTipText(context, *variable);
}

void StEditor::UpdateHoverTip(bool overSelection) {
    const std::optional<std::string> text = HoverText();
    if (!text || !overSelection) {
        tip_.visible = false;
        return;
    }
    if (*text != tip_.text) {
        tip_.text = *text;
        tip_.background = Online() ? kHoverDebugBackground : kHoverBackground;
    }
    tip_.visible = true;
}

}  // namespace pontra
