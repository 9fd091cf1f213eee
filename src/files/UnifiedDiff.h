// SPDX-License-Identifier: GPL-3.0-or-later
// Line differences in the unified form ("@@ -a,b +c,d @@" hunks with three lines of
// context), as diff -u and git show them.
#pragma once

#include <string>
#include <vector>

namespace pontra {

enum class DiffOp { Same, Removed, Added };

struct DiffLine {
    DiffOp op;
    std::string text;
};

// A shortest edit script from `a` to `b` (Myers). When the two differ in more than
// `maxEdits` lines in their changed middle part, that part is given as removed, then
// added, which keeps time and memory bounded for unrelated texts.
std::vector<DiffLine> DiffLines(const std::vector<std::string>& a, const std::vector<std::string>& b,
                                size_t maxEdits = 2000);

// The hunks of the difference, each line ending with "\n"; empty when `a` and `b` are
// the same.
std::string UnifiedHunks(const std::vector<std::string>& a, const std::vector<std::string>& b, int context = 3);

}  // namespace pontra
