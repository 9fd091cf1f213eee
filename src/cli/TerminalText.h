// SPDX-License-Identifier: GPL-3.0-or-later
// The one place where pontra-cli turns the model's Windows-1252 text into what the
// terminal shows: messages, output-window lines, live values and component text printed on
// stdout. Paths and names from the command line are already in the terminal's encoding and
// are printed as they came.
#pragma once

#include <string>
#include <string_view>

namespace pontra {

// The character set of the locale (LC_ALL, LC_CTYPE, LANG), as nl_langinfo names it.
// Read once per process.
const std::string& TerminalCodeset();

// Model text in the terminal's encoding:
// - UTF-8 locales get UTF-8;
// - the C/POSIX locale (plain ASCII) gets UTF-8 too: it is what a CI log, a container
//   shell or a pipe into another tool reads today, and ASCII text is the same either way;
// - a Windows-1252 locale gets the bytes unchanged;
// - any other character set gets what it can hold, "?" for the rest (iconv).
std::string ToTerminal(std::string_view cp1252);

// The same for a given character set name (for the tests).
std::string ToTerminal(std::string_view cp1252, const std::string& codeset);

}  // namespace pontra
