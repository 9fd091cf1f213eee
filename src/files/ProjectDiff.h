// SPDX-License-Identifier: GPL-3.0-or-later
// The difference between two projects, component by component (see ProjectText): for
// each component that differs, a "--- A: TITLE" / "+++ B: TITLE" header and its unified
// hunks. A component only one project has shows as wholly removed or added.
#pragma once

#include <string>

namespace pontra {

class CProject;

// Empty when the projects' texts are the same. `nameA` and `nameB` head the sections
// (the file names as given).
std::string ProjectDiff(const CProject& a, const CProject& b, const std::string& nameA, const std::string& nameB);

}  // namespace pontra
