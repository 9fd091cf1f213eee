// SPDX-License-Identifier: GPL-3.0-or-later
// The in-place edits of a tag's initial value and display style in a tag list. Both
// apply to tags of an elementary type (a declaration or a member of one, such as an
// array element); a bit of an integer takes its value from the integer. A refusal is
// shown and nothing changes; online in debug mode every change is refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CMainFrame;
class CTag;

// The display styles a tag of `type` may take: "Decimal", "Binary", "Octal", "Hex", and
// "IP Address" for DINT only; none for types that are not elementary.
std::vector<std::string_view> StylesFor(std::string_view type);

// `text` is read in the tag's style and width; the initial value is kept in decimal and
// the bit members of an integer follow it.
bool EditInitialValue(CMainFrame& frame, CTag& tag, const std::string& text);
// A style of StylesFor(tag's type); the elements of an array take it too.
bool EditTagStyle(CMainFrame& frame, CTag& tag, const std::string& style);

}  // namespace pontra
