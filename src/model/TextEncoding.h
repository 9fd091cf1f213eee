// SPDX-License-Identifier: GPL-3.0-or-later
// The one place where the project's single-byte text meets Unicode. Project files,
// component text, clipboard payloads and module data hold Windows-1252 bytes; JSON, the
// terminal and the GUI's strings hold UTF-8. Every boundary converts through these.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pontra {

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same number, so every byte string
// converts and converts back unchanged.
std::string Cp1252ToUtf8(std::string_view text);

// The first character of a UTF-8 text that Windows-1252 cannot hold, or a byte sequence
// that is not UTF-8: its byte offset in the input and the character (U+XXXX) when it
// decoded as one.
struct EncodingFailure {
    size_t offset = 0;
    std::optional<char32_t> character;  // none: not valid UTF-8 at `offset`
};

// UTF-8 as Windows-1252; a failure when a character has no Windows-1252 byte or the input
// is not valid UTF-8. Nothing is replaced silently.
struct Cp1252Result {
    std::string text;
    std::optional<EncodingFailure> failure;
    bool ok() const { return !failure.has_value(); }
};
Cp1252Result Utf8ToCp1252(std::string_view utf8);

// Whether `text` is well-formed UTF-8 (overlong forms and surrogates refused).
bool IsValidUtf8(std::string_view text);
// Whether it holds any byte above 0x7F.
bool HasNonAscii(std::string_view text);

// "U+2192" for a refusal message.
std::string CodePointName(char32_t character);

}  // namespace pontra
