// SPDX-License-Identifier: GPL-3.0-or-later
// The colouring pass of the Structured Text editor: which characters show as keywords
// and which as comments. It scans with the compiler's character scanner but runs none of
// its token passes, so that the colours follow the text as typed; the comment rules are
// applied in the compiler's order (line comments first), so that what shows as a comment
// is what the compiler skips.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace pontra {

class StTextBuffer;

enum class StFormat { Plain, Keyword, Comment };

// Text colours of the three formats, as 0xRRGGBB; each format also clears bold.
constexpr uint32_t kPlainColour = 0x000000;
constexpr uint32_t kKeywordColour = 0x0000FF;
constexpr uint32_t kCommentColour = 0x008000;

// Characters [begin, end) in a format; positions as in StTextBuffer.
struct ColourRange {
    size_t begin = 0;
    size_t end = 0;
    StFormat format = StFormat::Plain;
    bool operator==(const ColourRange&) const = default;
};

// The 28 words painted and upper-cased like keywords (exact, case-sensitive).
bool IsColouringWord(std::string_view text);

// Whether a name is a standard function (an ST_FUNC entry of the symbol table).
using StandardFunctionTest = std::function<bool(std::string_view name)>;

// The keyword and comment ranges of the whole text, in text order and not overlapping;
// everything else is plain.
std::vector<ColourRange> ColourText(const StTextBuffer& text, const StandardFunctionTest& isStandardFunction);

}  // namespace pontra
