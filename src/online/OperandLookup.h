// SPDX-License-Identifier: GPL-3.0-or-later
// What a ladder view shows about an operand text of its unit: the tag it names (for the
// description line), and while debugging its live value. Lookups are cached by text,
// because a view asks for the same operands on every read; Clear() after the tags change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pontra {

class CMainFrame;
class CTag;
class CUnit;

class OperandLookup {
public:
    OperandLookup(CMainFrame& frame, CUnit* unit) : frame_(frame), unit_(unit) {}

    // The tag or member the text names as written, or null (a literal, "?", unknown).
    const CTag* Declared(std::string_view text);
    // The tag behind aliases, or null.
    const CTag* Resolved(std::string_view text);
    // The description under the operand: the named tag's, else the aliased tag's.
    std::string Description(std::string_view text);
    // A literal's value, or the live value of the tag while debugging with valid data.
    std::optional<int32_t> LiveValue(std::string_view text);
    // The live value through the tag's display style; a literal as written; "..." when
    // no value can be shown.
    std::string LiveText(std::string_view text);

    void Clear() { cache_.clear(); }

private:
    struct Entry {
        const CTag* declared = nullptr;
        const CTag* resolved = nullptr;
        bool literal = false;
        int32_t literalValue = 0;
    };
    const Entry& Look(std::string_view text);

    CMainFrame& frame_;
    CUnit* unit_;
    std::unordered_map<std::string, Entry> cache_;
};

}  // namespace pontra
