// SPDX-License-Identifier: GPL-3.0-or-later
// Copy, Cut and Paste of a ladder editor: a rung, a branch leg or an element travels as
// a binary rung or element record under the clipboard formats "Pontra - Rung" and
// "Pontra - Element", and is inserted relative to the editor's selection.
#pragma once

namespace pontra {

class LadderView;

constexpr const char* kClipboardRungFormat = "Pontra - Rung";
constexpr const char* kClipboardElementFormat = "Pontra - Element";
// A function-block call travels inside a carrier rung with this comment.
constexpr const char* kCopyJfbComment = "Copy JFB";

enum class ClipboardOutcome {
    Ignored,      // a download is running
    PassToFocus,  // another control (an in-place operand editor) has the focus: it copies, cuts or pastes itself
    Refused,      // online in debug mode (the refusal was shown)
    Nothing,      // nothing to copy, nothing on the clipboard, or nowhere to put it
    Done,
};

// "&Copy": the selected rung (its kind-1 element selected), leg (its kind-7 element),
// branch (its kind-6 marker), function-block call (in a carrier rung) or element goes to
// the clipboard and becomes the editor's paste buffer.
ClipboardOutcome LadderCopy(LadderView& view, bool focusInView = true);

// "Cu&t": Copy, then the editor's Delete key action on the selection, which takes the
// undo snapshot as it does from the keyboard.
ClipboardOutcome LadderCut(LadderView& view, bool focusInView = true);

// "&Paste": a fresh copy of the clipboard's rung (preferred) or element goes in after
// the selection: a carried JFB, a whole rung after the current rung, a leg after the
// selected leg (only onto a leg start), loose elements, or one element (a branch gets its
// close marker). A payload that cannot be read, or whose structure no editor builds,
// inserts nothing.
ClipboardOutcome LadderPaste(LadderView& view, bool focusInView = true);

}  // namespace pontra
