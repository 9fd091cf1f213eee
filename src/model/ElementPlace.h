// SPDX-License-Identifier: GPL-3.0-or-later
// Where an element sits in a list of rungs, independent of the objects: the index of
// its top-level rung and the path down through branch legs. A place survives deep
// copies of the rungs, so it can find the same element in a copy.
#pragma once

#include <vector>

#include "model/Ladder.h"

namespace pontra {

struct ElementPlace {
    int rung = -1;
    // Element index in the rung; for an element inside a leg, preceded by pairs
    // (branch element index, leg index) from the rung downwards.
    std::vector<int> path;

    bool Valid() const { return rung >= 0 && !path.empty(); }
    bool operator==(const ElementPlace&) const = default;
};

// The place of `element` in `rungs`; invalid when it is not among them.
ElementPlace PlaceOf(const RungList& rungs, const CElement* element);

// The element at `place`, or null when the rungs have no such place.
CElement* ElementAt(const RungList& rungs, const ElementPlace& place);

}  // namespace pontra
