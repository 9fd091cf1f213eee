// SPDX-License-Identifier: GPL-3.0-or-later
// Controller tags stored in a project file are merged into the predefined controller
// tags of the project's type rather than taken as they are: the type decides which
// controller tags exist; the file contributes the connection slots and the user's
// descriptions, initial values and display styles.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/Tag.h"

namespace pontra {

class CProject;

class ControllerTagMerge {
public:
    // `firstSlot` is the position of the type's first connection slot.
    ControllerTagMerge(CProject& project, int firstSlot);

    // A stored connection tag takes the next slot position; any other stored tag is
    // matched by name (the two old servo names by their new ones) and lends its
    // description, and its value and style when the types agree, to the predefined tag
    // and its members. Unmatched tags are dropped.
    void Merge(std::unique_ptr<CTag> stored);
    // Refills empty member descriptions from the description tables.
    void Finish();

    // A stored tag was matched under one of the old servo names.
    bool MatchedOldServoName() const { return oldServoName_; }

private:
    CProject& project_;
    size_t nextSlot_;
    bool oldServoName_ = false;
};

// Versions 1 and 2 stored only the initial values of the predefined tags, in list
// order. They apply only when the count equals the number of predefined tags.
void ApplyBareControllerValues(CProject& project, const std::vector<uint32_t>& values);

}  // namespace pontra
