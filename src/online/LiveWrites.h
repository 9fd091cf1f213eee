// SPDX-License-Identifier: GPL-3.0-or-later
// Changing values in a running module: "Toggle Bit" in a ladder view and in the debug
// view, and the "Write Tag" dialog. None of them waits for the module: the next read of
// tag memory shows whether the value changed.
#pragma once

#include <string>

namespace pontra {

class CElement;
class CMainFrame;
class CTag;
class CUnit;

// "Toggle Bit" of a ladder view showing `unit` (null: the main program): on a selected
// XIC, XIO, OTE, OTU or OTL whose operand names a BOOL tag, while debugging with valid
// data. True when the write went out.
bool ToggleBit(CMainFrame& frame, CUnit* unit, const CElement* selected);

// "Toggle Bit" of the debug view: `text` (trailing blanks removed) names a BOOL variable
// of `unit`.
bool ToggleVariable(CMainFrame& frame, CUnit* unit, const std::string& text);

// The variable a line of the debug view names (`text`, trailing blanks removed) in
// `unit`, through its alias; null when none.
const CTag* DebugViewVariable(CMainFrame& frame, CUnit* unit, const std::string& text);

// The "Write Tag" dialog for a tag shown in the view of `unit`.
class WriteTagDialog {
public:
    WriteTagDialog(CMainFrame& frame, CUnit* unit, const CTag& tag);

    // "%s: %s" (name, type), with ", " and the description when the tag has one.
    std::string Label() const;
    // The live value as a plain decimal number, fully selected when the dialog opens.
    std::string initialText;

    // OK: parses `text` for the tag's width and style; a failure shows its message and
    // the dialog stays open (false). The tag, a BOOL as any other, is written with the
    // parsed value. True closes the dialog.
    bool Ok(const std::string& text);

private:
    CMainFrame& frame_;
    CUnit* unit_;
    const CTag& tag_;
};

} // namespace pontra
