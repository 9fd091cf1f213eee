// SPDX-License-Identifier: GPL-3.0-or-later
#include "st/TypeRules.h"

#include <algorithm>
#include <initializer_list>

namespace pontra {

namespace {

bool In(std::string_view s, std::initializer_list<std::string_view> set) {
    return std::find(set.begin(), set.end(), s) != set.end();
}

}  // namespace

std::string TypeFamily(std::string_view type) {
    if (In(type, {"LREAL", "REAL"})) return "ANY_REAL";
    if (In(type, {"LINT", "DINT", "INT", "SINT", "ULINT", "UDINT", "UINT", "USINT", "REGISTER"})) return "ANY_INT";
    if (In(type, {"LWORD", "DWORD", "WORD", "BYTE", "BOOL"})) return "ANY_BIT";
    if (In(type, {"DATE_AND_TIME", "DATE", "TIME_OF_DAY"})) return "ANY_DATE";
    return std::string(type);
}

bool IsStElementary(std::string_view type) {
    return In(type, {"BOOL", "SINT", "INT", "DINT", "LINT", "USINT", "UINT", "UDINT", "ULINT", "REAL", "LREAL",
                     "TIME", "BYTE", "WORD", "DWORD", "LWORD", "DATE", "TIME_OF_DAY", "DATE_AND_TIME", "STRING",
                     "REGISTER"});
}

bool AcceptsType(std::string_view declared, std::string_view actual) {
    if (declared == "ANY_NUM") {
        const std::string family = TypeFamily(actual);
        return family == "ANY_REAL" || family == "ANY_INT";
    }
    if (declared == "ANY") return IsStElementary(actual);
    if (In(declared, {"ANY_INT", "ANY_REAL", "ANY_BIT", "ANY_DATE"})) return TypeFamily(actual) == declared;
    return declared == actual;
}

bool IsAssignable(std::string_view from, std::string_view to, bool isLiteral, std::string_view literalText) {
    if (isLiteral && to == "BOOL" && (literalText == "0" || literalText == "1")) return true;
    return TypeFamily(from) == TypeFamily(to);
}

int StTypeBits(std::string_view type) {
    if (In(type, {"BOOL", "SINT", "USINT", "BYTE"})) return 8;
    if (In(type, {"INT", "UINT", "WORD"})) return 16;
    if (In(type, {"DINT", "UDINT", "DWORD", "REAL", "TIME"})) return 32;
    if (In(type, {"LINT", "ULINT", "LREAL", "LWORD"})) return 64;
    return 0;
}

std::string ConversionResultType(std::string_view name) {
    constexpr std::string_view kBcdTo = "BCD_TO_", kToBcd = "_TO_BCD", kTo = "_TO_";
    if (name.starts_with(kBcdTo)) {
        const std::string_view t = name.substr(kBcdTo.size());
        if (TypeFamily(t) == "ANY_INT") return std::string(t);
    }
    if (name.ends_with(kToBcd)) {
        const std::string_view t = name.substr(0, name.size() - kToBcd.size());
        if (TypeFamily(t) == "ANY_INT") return "BYTE";
    }
    // Type names hold at most one "_TO_" split that leaves two elementary names.
    for (size_t at = name.find(kTo); at != std::string_view::npos; at = name.find(kTo, at + 1)) {
        const std::string_view a = name.substr(0, at), b = name.substr(at + kTo.size());
        if (a != b && AcceptsType("ANY", a) && AcceptsType("ANY", b)) return std::string(b);
    }
    return {};
}

}  // namespace pontra
