// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ElementPlace.h"


namespace pontra {

namespace {

int IndexIn(const ElementList& list, const CElement* element) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == element) return static_cast<int>(i);
    return -1;
}

int IndexIn(const RungList& list, const CRung* rung) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == rung) return static_cast<int>(i);
    return -1;
}

// The branch element of `holder` that owns `leg`, with its index and the leg's index.
bool FindLegOwner(const CRung& holder, const CRung* leg, int& elementIndex, int& legIndex) {
    for (size_t i = 0; i < holder.elements.size(); ++i) {
        const int index = IndexIn(holder.elements[i]->legs, leg);
        if (index >= 0) {
            elementIndex = static_cast<int>(i);
            legIndex = index;
            return true;
        }
    }
    return false;
}

}  // namespace

ElementPlace PlaceOf(const RungList& rungs, const CElement* element) {
    ElementPlace place;
    if (!element || !element->parent) return place;
    std::vector<int> reversed{IndexIn(element->parent->elements, element)};
    if (reversed.back() < 0) return place;
    const CRung* rung = element->parent;
    while (rung->parent) {
        int elementIndex = 0, legIndex = 0;
        if (!FindLegOwner(*rung->parent, rung, elementIndex, legIndex)) return place;
        reversed.push_back(legIndex);
        reversed.push_back(elementIndex);
        rung = rung->parent;
    }
    const int rungIndex = IndexIn(rungs, rung);
    if (rungIndex < 0) return place;
    place.rung = rungIndex;
    place.path.assign(reversed.rbegin(), reversed.rend());
    return place;
}

CElement* ElementAt(const RungList& rungs, const ElementPlace& place) {
    if (!place.Valid() || place.path.size() % 2 == 0 || static_cast<size_t>(place.rung) >= rungs.size()) return nullptr;
    const CRung* rung = rungs[static_cast<size_t>(place.rung)].get();
    for (size_t i = 0;; i += 2) {
        const int index = place.path[i];
        if (index < 0 || static_cast<size_t>(index) >= rung->elements.size()) return nullptr;
        CElement* element = rung->elements[static_cast<size_t>(index)].get();
        if (i + 1 == place.path.size()) return element;
        const int leg = place.path[i + 1];
        if (leg < 0 || static_cast<size_t>(leg) >= element->legs.size()) return nullptr;
        rung = element->legs[static_cast<size_t>(leg)].get();
    }
}

}  // namespace pontra
