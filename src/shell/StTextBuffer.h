// SPDX-License-Identifier: GPL-3.0-or-later
// The text of a Structured Text editor: the unit's own lines, edited in place through
// character positions, with the undo history of a text control. A line break counts as
// one character at a position; the lines themselves never hold a line break.
//
// Undo works like a text control's: typed characters gather into one step until
// something else is recorded or the typing group is stopped; every other recorded
// replacement is a step of its own, and a follow-up (an upper-cased keyword, a
// completed name) joins the step it follows, so that undo never sees a text that its
// positions do not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class StTextBuffer {
public:
    // The history keeps this many steps; older ones are dropped.
    static constexpr size_t kMaxUndoSteps = 100;

    explicit StTextBuffer(std::vector<std::string>& lines) : lines_(lines) {}
    StTextBuffer(const StTextBuffer&) = delete;
    StTextBuffer& operator=(const StTextBuffer&) = delete;

    const std::vector<std::string>& Lines() const { return lines_; }
    // Characters, each line break counted as one.
    size_t Length() const;
    // The 0-based line that holds `pos` (the position of a line break belongs to the
    // line it ends; the end of the text to the last line), and its first character.
    size_t LineOf(size_t pos) const;
    size_t LineStart(size_t line) const;
    // The characters [from, to), lines joined by "\n".
    std::string Text(size_t from, size_t to) const;
    std::string AllText() const { return Text(0, Length()); }
    // Changes with every change of the text.
    uint64_t Version() const { return version_; }

    enum class Record {
        Typing,  // joins the open typing group, or opens one
        Step,    // a step of its own; stops the typing group
        Join,    // joins the last step (a follow-up of the edit before it)
    };
    // Replaces [from, to) (clamped to the text) by `text`, in which "\r\n", "\r" and
    // "\n" all break the line. Returns the position just behind the inserted text.
    // A line that would grow longer than a unit's line may be (kMaxSTLineLength) is cut
    // into pieces of that length, as the component importer cuts one; the step then
    // replaces the rest of that line too, so undo restores it whole.
    size_t Replace(size_t from, size_t to, std::string_view text, Record record);

    bool CanUndo() const { return !steps_.empty(); }
    // Stops the typing group and takes the last step back; the position just behind
    // its first change, for the caret.
    size_t Undo();
    // The next typed character starts a new step.
    void StopTyping() { typingOpen_ = false; }

private:
    struct Change {
        size_t pos;
        std::string removed;
        std::string inserted;  // as it stands in the text ("\n" breaks)
    };
    struct Step {
        std::vector<Change> changes;
    };

    size_t Apply(size_t from, size_t to, const std::string& text);  // text with "\n" breaks only
    void Locate(size_t pos, size_t& line, size_t& column) const;
    const std::vector<size_t>& Starts() const;

    std::vector<std::string>& lines_;
    std::vector<Step> steps_;
    bool typingOpen_ = false;
    uint64_t version_ = 0;
    mutable std::vector<size_t> starts_;  // first character of each line
    mutable bool startsValid_ = false;
};

}  // namespace pontra
