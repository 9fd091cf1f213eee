// SPDX-License-Identifier: GPL-3.0-or-later
// How a printed ladder falls onto pages: whole rungs in order, a rung never split
// across pages unless it alone is taller than a page, then it runs over as many
// pages as it needs, each showing the next slice of it.
#pragma once

#include <vector>

namespace pontra {

struct PrintPage {
    int first = 0;   // first rung on the page
    int last = 0;    // one past the last rung
    int offset = 0;  // for a rung taller than a page: how far into it this page starts
    bool operator==(const PrintPage&) const = default;
};

// Pages for rungs of the given heights on pages `pageHeight` high (same units).
// No rungs give no pages; a page height below 1 is taken as 1.
std::vector<PrintPage> PaginateRungs(const std::vector<int>& heights, int pageHeight);

}  // namespace pontra
