// SPDX-License-Identifier: GPL-3.0-or-later
// What the Structured Text editor offers while a name is typed: the completion rows for
// the typed part of a name (the member path), and the parameter list it fills in when a
// function-block instance is called.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CUnit;
class SymbolEntry;

struct CompletionRow {
    std::string name;  // what Enter puts in place of the typed part behind the last "."
    std::string dataType;
    std::string description;
    bool operator==(const CompletionRow&) const = default;
};

// Without ".": the unit's tags whose names begin with the path (ignoring case), in list
// order. With ".": the direct members of the unit's tag named by the part before the
// first ".", whose full names begin with the path (ignoring case), each named without
// the tag's name and its ".". So a member of a member ("S.Sub.") finds nothing.
std::vector<CompletionRow> CompletionRows(const CUnit& unit, std::string_view memberPath);

// The characters Enter replaces: the member path behind its last ".".
size_t TypedPartLength(std::string_view memberPath);

// The text inserted behind "(" for a call of an instance of `block`: first its inputs and
// in-outs with ":=", then its in-outs and outputs with "=>", each with a placeholder that
// names the parameter's type and a running number, then ");".
std::string CallParameterText(const SymbolEntry& block);

}  // namespace pontra
