// SPDX-License-Identifier: GPL-3.0-or-later
// Narrow silencers for compiler warnings that are proven false. Each use sits around the
// one statement concerned, with a comment naming the statement's innocence.
#pragma once

// GCC 12 at -O2/-O3 inlines std::string's replace into short assignments and "literal" +
// string&& and then reports the memcpy inside as overlapping 2^63 bytes (GCC bugs 105329
// and 105651, -Wrestrict false positives in libstdc++'s basic_string). Other compilers
// know no -Wrestrict and need nothing.
#if defined(__GNUC__) && !defined(__clang__)
#define PONTRA_GCC_STRING_WRESTRICT_BEGIN \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wrestrict\"")
#define PONTRA_GCC_STRING_WRESTRICT_END _Pragma("GCC diagnostic pop")
#else
#define PONTRA_GCC_STRING_WRESTRICT_BEGIN
#define PONTRA_GCC_STRING_WRESTRICT_END
#endif
