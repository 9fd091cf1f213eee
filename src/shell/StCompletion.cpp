// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StCompletion.h"

#include <cctype>

#include "model/Unit.h"
#include "st/SymbolTable.h"

namespace pontra {

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) !=
            std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}  // namespace

std::vector<CompletionRow> CompletionRows(const CUnit& unit, std::string_view memberPath) {
    std::vector<CompletionRow> rows;
    const size_t dot = memberPath.find('.');
    if (dot == std::string_view::npos) {
        for (const auto& tag : unit.tags)
            if (StartsWithIgnoringCase(tag->name, memberPath))
                rows.push_back({tag->name, tag->dataType, tag->description});
        return rows;
    }
    const CTag* tag = FindTag(unit.tags, memberPath.substr(0, dot));
    if (!tag) return rows;
    const size_t prefix = tag->name.size() + 1;
    for (const auto& member : tag->members)
        if (StartsWithIgnoringCase(member->name, memberPath) && member->name.size() >= prefix)
            rows.push_back({member->name.substr(prefix), member->dataType, member->description});
    return rows;
}

size_t TypedPartLength(std::string_view memberPath) {
    const size_t dot = memberPath.rfind('.');
    return dot == std::string_view::npos ? memberPath.size() : memberPath.size() - dot - 1;
}

std::string CallParameterText(const SymbolEntry& block) {
    std::string text;
    int number = 0;
    auto add = [&](const SymbolVariable& v, const char* pattern) {
        if (number > 0) text += ", ";
        ++number;
        text += v.name + pattern + v.type + "_" + std::to_string(number) + "*)";
    };
    for (const auto& v : block.Variables()) {
        if (v->direction == "VAR_INPUT") add(*v, " := (*_in_");
        if (v->direction == "VAR_IN_OUT") add(*v, " := (*_in_out_");
    }
    for (const auto& v : block.Variables()) {
        if (v->direction == "VAR_IN_OUT") add(*v, " => (*_in_out_");
        if (v->direction == "VAR_OUTPUT") add(*v, " => (*_out_");
    }
    return text + ");";
}

}  // namespace pontra
