// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ValueStyle.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/Tag.h"

namespace pontra {

namespace {

std::string Printf(const char* format, auto... args) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// 64-bit conversion in a base: white space, optional sign, digits of the base up to the
// first foreign character; saturates at the 64-bit limits.
int64_t ToInt64(std::string_view text, int base) {
    std::string copy(text);
    errno = 0;
    return std::strtoll(copy.c_str(), nullptr, base);
}

std::string BinaryDigits(uint32_t v, int width) {
    std::string s;
    for (int b = width - 1; b >= 0; --b) s += ((v >> b) & 1u) ? '1' : '0';
    return s;
}

std::string StripLeadingZeros(const std::string& s) {
    size_t i = s.find_first_not_of('0');
    return i == std::string::npos ? "0" : s.substr(i);
}

bool IsDottedQuad(std::string_view text) {
    int dots = 0;
    for (char c : text) {
        if (c == '.') ++dots;
        else if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return dots == 3;
}

bool ParseIpStyle(std::string_view text, int32_t& value, std::string& message) {
    if (!IsDottedQuad(text)) {
        message = "Value must be IP Address!";
        return false;
    }
    int parts[4] = {0, 0, 0, 0};
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t dot = text.find('.', start);
        std::string_view part = text.substr(start, dot == std::string_view::npos ? text.size() - start : dot - start);
        parts[i] = DecimalToInt(part);
        start = dot + 1;
    }
    for (int i = 0; i < 4; ++i) {
        if (parts[i] < 0 || parts[i] > 255) {
            message = Printf("Part %d of IP Address must be in range from 0 up to 255!", i);
            return false;
        }
    }
    value = static_cast<int32_t>(PackIpStyle(parts[0], parts[1], parts[2], parts[3]));
    return true;
}

}  // namespace

int StyleWidth(std::string_view type) {
    if (type == "BOOL") return 1;
    if (type == "SINT" || type == "BYTE") return 8;
    if (type == "INT" || type == "WORD") return 16;
    if (type == "DINT" || type == "DWORD") return 32;
    return 0;
}

int32_t DecimalToInt(std::string_view text) {
    int64_t v = ToInt64(text, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

uint32_t PackIpStyle(int p0, int p1, int p2, int p3) {
    return (static_cast<uint32_t>(p0 & 255) << 8) | static_cast<uint32_t>(p1 & 255) |
           (static_cast<uint32_t>(p2 & 255) << 24) | (static_cast<uint32_t>(p3 & 255) << 16);
}

std::string FormatValue(const CTag& tag, std::string_view text) { return FormatValue(tag.dataType, tag.style, text); }

std::string FormatValue(std::string_view type, std::string_view style, std::string_view text) {
    const int32_t v = DecimalToInt(text);
    const int width = StyleWidth(type);
    if (width == 0) return std::string(text);
    const uint32_t u = static_cast<uint32_t>(v);
    const uint32_t mask = width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u);
    if (style == "Binary") return "2#" + BinaryDigits(u, width);
    if (style == "Octal") return Printf("8#%o", u & mask);
    if (style == "Hex") {
        switch (width) {
        case 1: return Printf("16#%.1X", u);
        case 8: return Printf("16#%.2X", u & 0xFFu);
        case 16: return Printf("16#%.4X", u & 0xFFFFu);
        default: return Printf("16#%.8X", u);
        }
    }
    if (style == "IP Address")
        return Printf("%d.%d.%d.%d", (v >> 8) & 255, v & 255, (v >> 24) & 255, (v >> 16) & 255);
    return std::string(text);
}

std::string SampleValueText(const CTag& tag) { return SampleValueText(tag.dataType, tag.style); }

std::string SampleValueText(std::string_view type, std::string_view style) {
    const int width = StyleWidth(type);
    if (width == 0) return "";
    const int column = width == 1 ? 0 : width == 8 ? 1 : width == 16 ? 2 : 3;
    static const char* const kBinary[] = {"2#0", "2#00000000", "2#0000000000000000",
                                          "2#00000000000000000000000000000000"};
    static const char* const kOctal[] = {"8#0", "8#55", "8#5555", "8#55555555"};
    static const char* const kHex[] = {"16#0", "16#BB", "16#BBBB", "16#BBBBBBBB"};
    static const char* const kDecimal[] = {"0", "-555", "-55555", "-5555555555"};
    if (style == "Binary") return kBinary[column];
    if (style == "Octal") return kOctal[column];
    if (style == "Hex") return kHex[column];
    if (style == "IP Address") return "16#555.555.555.555";
    return kDecimal[column];
}

bool ParseValue(int width, std::string_view style, std::string_view input, int32_t& value, std::string& message) {
    std::string text(input);
    int base = 10;
    if (style == "IP Address") return ParseIpStyle(text, value, message);
    if (style == "Binary") {
        if (text.starts_with("2#")) text.erase(0, 2);
        base = 2;
    } else if (style == "Octal") {
        if (text.starts_with("8#")) text.erase(0, 2);
        base = 8;
    } else if (style == "Hex") {
        if (text.starts_with("16#")) text.erase(0, 3);
        base = 16;
    } else if (text.starts_with("+")) {
        text.erase(0, 1);
    }
    text = StripLeadingZeros(text);

    const uint32_t v = static_cast<uint32_t>(ToInt64(text, base));
    const bool isDecimal = base == 10;
    std::string canonical;
    bool inRange = true;
    int32_t stored = static_cast<int32_t>(v);

    if (width == 1) {
        canonical = Printf("%d", static_cast<int32_t>(v));
        message = Printf("Value must be in range from %d up to %d!", 0, 1);
        inRange = static_cast<int32_t>(v) >= 0 && static_cast<int32_t>(v) <= 1;
    } else if (width == 8 || width == 16) {
        const uint32_t mask = width == 8 ? 0xFFu : 0xFFFFu;
        const int32_t signedValue = width == 8 ? static_cast<int8_t>(v) : static_cast<int16_t>(v);
        const char* hexMessage =
            width == 8 ? "Value must be in range from 16#0 up to 16#%.2X!" : "Value must be in range from 16#0 up to 16#%.4X!";
        stored = signedValue;
        if (isDecimal) {
            canonical = Printf("%d", signedValue);
            message = width == 8 ? Printf("Value must be in range from %d up to %d!", -128, 127)
                                 : Printf("Value must be in range from %d up to %d!", -32768, 32767);
        } else if (base == 16) {
            canonical = Printf("%X", v & mask);
            message = Printf(hexMessage, mask);
        } else if (base == 8) {
            canonical = Printf("%o", v & mask);
            message = Printf("Value must be in range from 8#0 up to 8#%o!", mask);
        } else {
            canonical = StripLeadingZeros(BinaryDigits(v & mask, width));
            message = Printf(hexMessage, mask);
        }
    } else {
        if (isDecimal) {
            canonical = Printf("%d", static_cast<int32_t>(v));
            message = Printf("Value must be in range from %d up to %d!", INT32_MIN, INT32_MAX);
        } else if (base == 16) {
            canonical = Printf("%X", v);
            message = Printf("Value must be in range from 16#0 up to 16#%.8X!", 0xFFFFFFFFu);
        } else if (base == 8) {
            canonical = Printf("%o", v);
            message = Printf("Value must be in range from 8#0 up to 8#%o!", 0xFFFFFFFFu);
        } else {
            canonical = StripLeadingZeros(BinaryDigits(v, 32));
            message = Printf("Value must be in range from 16#0 up to 16#%.8X!", 0xFFFFFFFFu);
        }
    }

    if (base == 16)
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!inRange || canonical != text) return false;
    value = stored;
    return true;
}

std::string_view LiteralStyle(std::string_view text) {
    if (text.starts_with("2#")) return "Binary";
    if (text.starts_with("8#")) return "Octal";
    if (text.starts_with("16#")) return "Hex";
    if (IsDottedQuad(text)) return "IP Address";
    return "Decimal";
}

bool ParseOperandLiteral(std::string_view text, int32_t& value, std::string& message) {
    return ParseValue(32, LiteralStyle(text), text, value, message);
}

}  // namespace pontra
