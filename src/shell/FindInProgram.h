// SPDX-License-Identifier: GPL-3.0-or-later
// "Find..." of a ladder view: searches the rungs of the view's unit for an element whose
// operand, or the description or base tag of the tag an operand names, holds a text;
// from the selection down to the end or up to the beginning, offering one wrap-around.
#pragma once

#include <string>
#include <vector>

namespace pontra {

class CElement;
class LadderView;

// The options of the Find dialog, kept by the view while it exists.
struct FindOptions {
    std::string text;  // "Find what:"
    bool operand = true;
    bool description = false;
    bool baseTag = false;
    bool wholeWord = false;  // equality instead of containment
    bool matchCase = false;
    bool down = true;
};

// "Find Next": the first match after (Down) or before (Up) the selection becomes the
// selection and is returned; the view scrolls it into sight. Without a match the person
// is asked whether to go on from the other end (`wrapped` false) or told that nothing
// was found (`wrapped` true); the selection then stays as it was. Going Up only operands
// are compared. An empty search text finds nothing and asks nothing.
CElement* FindNext(LadderView& view, const FindOptions& options, bool wrapped = false);

// The element order of a search: rung by rung, left to right, each branch's legs in
// turn before the element that follows the branch.
std::vector<CElement*> SearchOrder(LadderView& view);

}  // namespace pontra
