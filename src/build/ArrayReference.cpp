// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/ArrayReference.h"

#include <algorithm>

#include "model/Types.h"

namespace pontra {

namespace {

bool IsIndexType(std::string_view type) { return type == "SINT" || type == "INT" || type == "DINT"; }

// A decimal constant, possibly negative; its value saturates far outside any array.
bool ConstantIndex(std::string_view text, long long& value) {
    const bool negative = text.starts_with("-");
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = 0;
    for (char c : digits) value = std::min(value * 10 + (c - '0'), 1LL << 40);
    if (negative) value = -value;
    return true;
}

std::string CheckIndex(std::string_view index, int size, const char* where, const TagTypeLookup& typeOf) {
    const std::string suffix = where;
    long long value = 0;
    if (index.empty()) return "Invalid array index" + suffix;
    if (ConstantIndex(index, value)) {
        if (value < 0 || value >= size)
            return suffix.empty() ? "Array index is out of range" : "Array index " + suffix + " is out of range";
        return {};
    }
    const std::string type = typeOf(index);
    if (type.empty()) return "Invalid array index" + suffix;
    if (!IsIndexType(type)) return "Invalid array index type" + suffix;
    return {};
}

}  // namespace

std::string CheckArrayReference(std::string_view reference, const TagTypeLookup& typeOf) {
    const size_t open = reference.find('[');
    if (open == std::string_view::npos || open == 0 || !reference.ends_with("]") ||
        reference.find('[', open + 1) != std::string_view::npos ||
        reference.find(']') != reference.size() - 1)
        return "Invalid array";
    const auto array = ParseArrayType(typeOf(reference.substr(0, open)));
    if (!array) return "Invalid array";
    if (!IsIndexType(array->element)) return "Invalid array type";
    const std::string_view indexes = reference.substr(open + 1, reference.size() - open - 2);
    const size_t comma = indexes.find(',');
    const int count = comma == std::string_view::npos ? 1 : 2;
    if (count != (array->dim2 ? 2 : 1) || (comma != std::string_view::npos && indexes.find(',', comma + 1) != std::string_view::npos))
        return "Invalid array dimension";
    if (count == 1) return CheckIndex(indexes, array->dim1, "", typeOf);
    std::string message = CheckIndex(indexes.substr(0, comma), array->dim1, " at first dimension", typeOf);
    if (message.empty()) message = CheckIndex(indexes.substr(comma + 1), array->dim2, " at second dimension", typeOf);
    return message;
}

}  // namespace pontra
