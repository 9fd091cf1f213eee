// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/UnifiedDiff.h"

#include <algorithm>
#include <cstdint>

namespace pontra {

namespace {

// Myers' greedy algorithm on a[lo..] and b[lo..] of the given lengths; the trace of V
// arrays is kept to walk back the path. Empty result (and false) beyond `maxEdits`.
bool Myers(const std::vector<std::string>& a, size_t aStart, size_t n, const std::vector<std::string>& b,
           size_t bStart, size_t m, size_t maxEdits, std::vector<DiffLine>& out) {
    const int64_t N = static_cast<int64_t>(n), M = static_cast<int64_t>(m);
    const int64_t max = std::min<int64_t>(N + M, static_cast<int64_t>(maxEdits));
    const int64_t offset = max + 1;
    std::vector<int64_t> v(static_cast<size_t>(2 * max + 3), 0);
    std::vector<std::vector<int64_t>> trace;
    int64_t found = -1;
    for (int64_t d = 0; d <= max && found < 0; ++d) {
        // what step d reads of the V array: diagonals -d .. d
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        for (int64_t k = -d; k <= d; k += 2) {
            int64_t x;
            if (k == -d || (k != d && v[static_cast<size_t>(k - 1 + offset)] < v[static_cast<size_t>(k + 1 + offset)]))
                x = v[static_cast<size_t>(k + 1 + offset)];
            else
                x = v[static_cast<size_t>(k - 1 + offset)] + 1;
            int64_t y = x - k;
            while (x < N && y < M && a[aStart + static_cast<size_t>(x)] == b[bStart + static_cast<size_t>(y)]) ++x, ++y;
            v[static_cast<size_t>(k + offset)] = x;
            if (x >= N && y >= M) {
                found = d;
                break;
            }
        }
    }
    if (found < 0) return false;
    // Walk back from (N, M) through the saved V arrays.
    std::vector<DiffLine> reversed;
    int64_t x = N, y = M;
    for (int64_t d = found; d > 0; --d) {
        const std::vector<int64_t>& slice = trace[static_cast<size_t>(d)];
        const auto pv = [&](int64_t diagonal) { return slice[static_cast<size_t>(diagonal + d)]; };
        const int64_t k = x - y;
        const int64_t prevK = k == -d || (k != d && pv(k - 1) < pv(k + 1)) ? k + 1 : k - 1;
        const int64_t prevX = pv(prevK);
        const int64_t prevY = prevX - prevK;
        while (x > prevX && y > prevY) {
            --x, --y;
            reversed.push_back({DiffOp::Same, a[aStart + static_cast<size_t>(x)]});
        }
        if (x == prevX) {
            --y;
            reversed.push_back({DiffOp::Added, b[bStart + static_cast<size_t>(y)]});
        } else {
            --x;
            reversed.push_back({DiffOp::Removed, a[aStart + static_cast<size_t>(x)]});
        }
    }
    while (x > 0 && y > 0) {
        --x, --y;
        reversed.push_back({DiffOp::Same, a[aStart + static_cast<size_t>(x)]});
    }
    out.insert(out.end(), reversed.rbegin(), reversed.rend());
    return true;
}

}  // namespace

std::vector<DiffLine> DiffLines(const std::vector<std::string>& a, const std::vector<std::string>& b,
                                size_t maxEdits) {
    std::vector<DiffLine> out;
    size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    for (size_t i = 0; i < prefix; ++i) out.push_back({DiffOp::Same, a[i]});
    const size_t n = a.size() - prefix - suffix, m = b.size() - prefix - suffix;
    if (!Myers(a, prefix, n, b, prefix, m, maxEdits, out)) {
        for (size_t i = 0; i < n; ++i) out.push_back({DiffOp::Removed, a[prefix + i]});
        for (size_t i = 0; i < m; ++i) out.push_back({DiffOp::Added, b[prefix + i]});
    }
    for (size_t i = a.size() - suffix; i < a.size(); ++i) out.push_back({DiffOp::Same, a[i]});
    return out;
}

std::string UnifiedHunks(const std::vector<std::string>& a, const std::vector<std::string>& b, int context) {
    const std::vector<DiffLine> lines = DiffLines(a, b);
    const size_t ctx = static_cast<size_t>(std::max(context, 0));
    std::string out;
    size_t i = 0;
    while (i < lines.size()) {
        // the next change
        size_t change = i;
        while (change < lines.size() && lines[change].op == DiffOp::Same) ++change;
        if (change == lines.size()) break;
        // the hunk runs from `ctx` lines before it to `ctx` lines after the last change
        // that follows within 2 * ctx unchanged lines
        const size_t start = change >= i + ctx ? change - ctx : i;
        size_t end = change;
        while (true) {
            while (end < lines.size() && lines[end].op != DiffOp::Same) ++end;
            size_t same = end;
            while (same < lines.size() && lines[same].op == DiffOp::Same) ++same;
            if (same < lines.size() && same - end <= 2 * ctx) {
                end = same;
                continue;
            }
            end = std::min(end + ctx, same);
            break;
        }
        // line numbers of the hunk's first line in a and b
        size_t aLine = 0, bLine = 0;
        for (size_t j = 0; j < start; ++j) {
            if (lines[j].op != DiffOp::Added) ++aLine;
            if (lines[j].op != DiffOp::Removed) ++bLine;
        }
        size_t aCount = 0, bCount = 0;
        std::string body;
        for (size_t j = start; j < end; ++j) {
            const DiffLine& l = lines[j];
            if (l.op != DiffOp::Added) ++aCount;
            if (l.op != DiffOp::Removed) ++bCount;
            body += (l.op == DiffOp::Same ? " " : l.op == DiffOp::Removed ? "-" : "+") + l.text + "\n";
        }
        auto range = [](size_t first, size_t count) {
            // diff -u: an empty range names the line before it
            const size_t shown = count == 0 ? first : first + 1;
            return count == 1 ? std::to_string(shown) : std::to_string(shown) + "," + std::to_string(count);
        };
        out += "@@ -" + range(aLine, aCount) + " +" + range(bLine, bCount) + " @@\n" + body;
        i = end;
    }
    return out;
}

}  // namespace pontra
