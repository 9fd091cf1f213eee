// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LadderPagination.h"

#include <algorithm>

namespace pontra {

std::vector<PrintPage> PaginateRungs(const std::vector<int>& heights, int pageHeight) {
    pageHeight = std::max(pageHeight, 1);
    std::vector<PrintPage> pages;
    const int count = static_cast<int>(heights.size());
    int i = 0;
    while (i < count) {
        const int h = std::max(heights[static_cast<size_t>(i)], 0);
        if (h > pageHeight) {
            for (int offset = 0; offset < h; offset += pageHeight) pages.push_back({i, i + 1, offset});
            ++i;
            continue;
        }
        PrintPage page{i, i, 0};
        int used = 0;
        while (page.last < count) {
            const int next = std::max(heights[static_cast<size_t>(page.last)], 0);
            if (used + next > pageHeight) break;
            used += next;
            ++page.last;
        }
        pages.push_back(page);
        i = page.last;
    }
    return pages;
}

}  // namespace pontra
