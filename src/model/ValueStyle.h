// SPDX-License-Identifier: GPL-3.0-or-later
// Display styles: how values are shown and read back ("Decimal", "Binary", "Octal",
// "Hex", "IP Address"). Pure functions; no state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pontra {

class CTag;

// Bit width of a simple type by name (BOOL 1, SINT/BYTE 8, INT/WORD 16, DINT/DWORD 32),
// 0 for anything else.
int StyleWidth(std::string_view type);

// Decimal text to a 32-bit integer the way the C library's atoi reads it: leading
// white space, optional sign, digits up to the first other character; no digits give
// 0; values beyond 32 bits saturate.
int32_t DecimalToInt(std::string_view text);

// `text` is the value as signed decimal text; returns it in the tag's display style.
std::string FormatValue(const CTag& tag, std::string_view text);
std::string FormatValue(std::string_view type, std::string_view style, std::string_view text);

// The widest text a value of the tag's type and style can take (empty for non-simple types).
std::string SampleValueText(const CTag& tag);
std::string SampleValueText(std::string_view type, std::string_view style);

// Parses typed text in a style and width. On success stores the value (sign-extended
// for widths 8 and 16) and returns true; otherwise leaves `value` alone, sets the range
// message and returns false.
bool ParseValue(int width, std::string_view style, std::string_view text, int32_t& value, std::string& message);

// Infers the style from the text (2#, 8#, 16#, dotted quad, else decimal) and parses
// it as a 32-bit value.
bool ParseOperandLiteral(std::string_view text, int32_t& value, std::string& message);
// The display style a literal is written in: "Binary" (2#), "Octal" (8#), "Hex" (16#),
// "IP Address" (a dotted quad) or "Decimal".
std::string_view LiteralStyle(std::string_view text);

// IP Address packing: first part in bits 8-15, second 0-7, third 24-31, fourth 16-23.
uint32_t PackIpStyle(int p0, int p1, int p2, int p3);

}  // namespace pontra
