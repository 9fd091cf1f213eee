// SPDX-License-Identifier: GPL-3.0-or-later
// How the bytes of a component text file become the project's Windows-1252 text. Export
// writes Windows-1252; a file that comes back from a modern editor is often UTF-8 instead
// (with or without a byte-order mark). Such a file is read as UTF-8 and converted; a
// character that Windows-1252 cannot hold is an error on its line, never replaced.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pontra {

struct ComponentFileText {
    std::string text;  // Windows-1252, the byte-order mark removed
    bool utf8 = false;  // the file was read as UTF-8
    // (line, message) for every line holding a character that cannot be converted; the
    // text is not to be imported when there is any.
    std::vector<std::pair<int, std::string>> errors;
};

// At most this many error lines; a file in another encoding would otherwise give one per line.
constexpr size_t kMaxEncodingErrors = 100;

// A file is UTF-8 when it starts with the byte-order mark EF BB BF, or when it holds bytes
// above 0x7F and all of it is well-formed UTF-8 (Windows-1252 text almost never is: its
// accented letters stand alone, where UTF-8 needs a lead byte and continuation bytes).
// Anything else is Windows-1252, read as it stands.
ComponentFileText DecodeComponentFile(std::string_view bytes);

}  // namespace pontra
