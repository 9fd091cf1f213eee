// SPDX-License-Identifier: GPL-3.0-or-later
// Type names, families and conversions as the Structured Text type checker sees them.
#pragma once

#include <string>
#include <string_view>

namespace pontra {

// ANY_REAL, ANY_INT, ANY_BIT or ANY_DATE; any other type is its own family.
std::string TypeFamily(std::string_view type);

// The elementary type names, REGISTER (a register reference) included.
bool IsStElementary(std::string_view type);

// Whether a declared parameter type accepts an actual type: the generic names accept
// their members (ANY_NUM the real and integer types, ANY every elementary type), a
// concrete type only itself.
bool AcceptsType(std::string_view declared, std::string_view actual);

// Whether a value of type `from` may be stored into `to`: same family; a literal 0 or 1
// also counts as BOOL.
bool IsAssignable(std::string_view from, std::string_view to, bool isLiteral, std::string_view literalText);

// Bit width recorded with compiler variables; 0 for types without one.
int StTypeBits(std::string_view type);

// "BCD_TO_" T, T "_TO_BCD" (T of ANY_INT) and A "_TO_" B (two different elementary
// types). Gives the result type; empty when the name is no conversion.
std::string ConversionResultType(std::string_view name);

}  // namespace pontra
