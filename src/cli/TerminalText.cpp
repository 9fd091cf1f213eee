// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalText.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "model/TextEncoding.h"

namespace pontra {

namespace {

std::string Normalised(std::string_view name) {
    std::string out;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// UTF-8 into another character set; what it cannot hold becomes "?".
std::string FromUtf8(const std::string& utf8, const std::string& codeset) {
    iconv_t cd = iconv_open(codeset.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return utf8;
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        const size_t done = iconv(cd, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<size_t>(to - buffer));
        if (done != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // A character the set has no place for (the input is valid UTF-8): skip it whole.
        out += '?';
        size_t skip = 1;
        while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
        in += skip;
        inLeft -= skip;
    }
    iconv_close(cd);
    return out;
}

}  // namespace

const std::string& TerminalCodeset() {
    // A locale object of its own: the process keeps the C locale for everything else.
    static const std::string codeset = [] {
        locale_t environment = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
        if (environment == static_cast<locale_t>(0)) return std::string("ANSI_X3.4-1968");
        std::string name = nl_langinfo_l(CODESET, environment);
        freelocale(environment);
        return name;
    }();
    return codeset;
}

std::string ToTerminal(std::string_view cp1252, const std::string& codeset) {
    if (!HasNonAscii(cp1252)) return std::string(cp1252);
    const std::string set = Normalised(codeset);
    if (set == "CP1252" || set == "WINDOWS1252") return std::string(cp1252);
    std::string utf8 = Cp1252ToUtf8(cp1252);
    if (set == "UTF8" || set == "ANSIX341968" || set == "ASCII" || set == "USASCII" || set.empty()) return utf8;
    return FromUtf8(utf8, codeset);
}

std::string ToTerminal(std::string_view cp1252) { return ToTerminal(cp1252, TerminalCodeset()); }

}  // namespace pontra
