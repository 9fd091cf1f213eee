// SPDX-License-Identifier: GPL-3.0-or-later
// What the module's status codes mean: the header check, the prescan of the code and the
// runtime errors, with the texts and message formats the system shows for them.
#pragma once

#include <optional>
#include <string>

namespace pontra {

// Header error codes 1-10 and 100; "Unknown Error" for any other code.
std::string HeaderErrorText(int code);
// Prescan error codes 1-35; "Unknown Error" for 19 and any other code below 100.
std::string PrescanErrorText(int code);
// Runtime error codes 100-104 and 111; none for any other code.
std::optional<std::string> RuntimeErrorText(int code);

// "Program is not running. CRITICAL ERROR!\r\nHeader error(#%d) - %s."
std::string HeaderErrorMessage(int code);
// The prescan message; `rungField` is the module's rung number plus 1.
std::string PrescanErrorMessage(int code, int programCounter, int instruction, int rungField);
// "Runtime Error(#%d) - %s. Program Counter = %d", or none for a code without text.
std::optional<std::string> RuntimeErrorLine(int code, int programCounter);

// The message for a module's status after loading an image: the header error when its
// code is not 0, else the prescan error for codes 1-99; none otherwise (codes of 100 and
// above belong to the runtime status display).
std::optional<std::string> ImageCheckMessage(int headerCode, int errorCode, int programCounter, int instruction,
                                             int rungField);

}  // namespace pontra
