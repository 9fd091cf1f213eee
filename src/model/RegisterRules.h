// SPDX-License-Identifier: GPL-3.0-or-later
// Which module registers a program may read and write, by controller type. Shared by
// the ladder verifier and the Structured Text compiler.
#pragma once

#include <string>
#include <string_view>

namespace pontra {

// Aldera modules have no register instructions.
bool SupportsRegisterOperations(std::string_view controllerType);

// A register number written as plain decimal text: converted and formatted back it must
// give the same text. Reads accept 1-512 everywhere and, on some types, extra ranges;
// writes accept 1-512.
bool IsValidRegisterNumber(std::string_view controllerType, std::string_view text, bool read, int& number);

// "Not valid number (Register No must be in range ...)" for the type and access.
std::string RegisterRangeMessage(std::string_view controllerType, bool read);

// Registers that hold controller outputs and may not be written over the
// communication path (WRC, "%RC").
bool IsControllerOutputRegister(std::string_view controllerType, int number);

}  // namespace pontra
