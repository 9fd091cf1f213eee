// SPDX-License-Identifier: GPL-3.0-or-later
// The standard functions and function blocks that Structured Text may call. Their
// declarations are not part of a project: the main frame creates the list once and
// keeps it unchanged until the program ends.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

struct CLibraryParam {
    std::string name;
    std::string type;     // a type name, or the generic "ANY_NUM"
    std::string section;  // "VAR_INPUT", "VAR_OUTPUT" or "VAR"
    std::string text2;
    int work = 0;
};

struct CLibraryEntry {
    std::string name;
    std::string kind;  // "ST_FUNC" or "FUNCTION_BLOCK"
    std::vector<std::unique_ptr<CLibraryParam>> params;
    std::string text2;
    int work1 = 0, work2 = 0;
};

using StandardLibrary = std::vector<std::unique_ptr<CLibraryEntry>>;

// Appends the 17 functions and then the 7 function blocks, in their fixed order.
void CreateStandardLibrary(StandardLibrary& library);

// The entry of that exact name, or null.
const CLibraryEntry* FindLibraryEntry(const StandardLibrary& library, std::string_view name);

// The 11 built-in type names, in order.
std::span<const char* const> BuiltInTypeNames();

}  // namespace pontra
