// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ComponentFileText.h"

#include <cstdio>

#include "model/TextEncoding.h"

namespace pontra {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string FailureMessage(std::string_view line, const EncodingFailure& failure) {
    if (failure.character)
        return "Character " + CodePointName(*failure.character) + " can't be stored, the project's text is Windows-1252";
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(line[failure.offset]));
    return std::string("Byte ") + byte + " is not UTF-8";
}

}  // namespace

ComponentFileText DecodeComponentFile(std::string_view bytes) {
    ComponentFileText result;
    const bool marked = bytes.starts_with(kByteOrderMark);
    if (marked) bytes.remove_prefix(kByteOrderMark.size());
    if (!marked && !(HasNonAscii(bytes) && IsValidUtf8(bytes))) {
        result.text = std::string(bytes);
        return result;
    }
    result.utf8 = true;
    result.text.reserve(bytes.size());
    // Line by line, so that each refusal names its line and every such line is named.
    int lineNumber = 1;
    for (size_t start = 0; start < bytes.size(); ++lineNumber) {
        size_t end = bytes.find('\n', start);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view line = bytes.substr(start, end - start);
        start = end;
        Cp1252Result converted = Utf8ToCp1252(line);
        if (converted.ok()) {
            result.text += converted.text;
        } else if (result.errors.size() < kMaxEncodingErrors) {
            result.errors.emplace_back(lineNumber, FailureMessage(line, *converted.failure));
        }
    }
    if (!result.errors.empty()) result.text.clear();
    return result;
}

}  // namespace pontra
