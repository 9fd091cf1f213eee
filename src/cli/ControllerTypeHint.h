// SPDX-License-Identifier: GPL-3.0-or-later
// The refusal of a controller type name, with the names that would have been taken.
#pragma once

#include <functional>
#include <string>

namespace pontra {

// "unknown controller type 'NAME' (known types: A, B, ...)", listing the controller
// types that `accepts` takes.
std::string UnknownControllerType(const std::string& name,
                                  const std::function<bool(const std::string&)>& accepts);

} // namespace pontra
