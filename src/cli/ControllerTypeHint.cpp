// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ControllerTypeHint.h"

namespace pontra {

namespace {

// Every controller type name the system knows of; each command lists those it takes.
constexpr const char* kControllerTypes[] = {
    "Vessa",   "Vessa-Lite", "Kormo",     "Aldera",    "Brindle",  "Oskel",   "VessaK1",        "VessaK2",
    "VessaK3", "KTX-310-0",  "KTX-310-1", "KTX-310-B", "Vessa-IX", "KTI-8-0", "VessaK2/K3-48V",
};

} // namespace

std::string UnknownControllerType(const std::string& name,
                                  const std::function<bool(const std::string&)>& accepts) {
    std::string known;
    for (const char* type : kControllerTypes)
        if (accepts(type)) known += (known.empty() ? "" : ", ") + std::string(type);
    return "unknown controller type '" + name + "' (known types: " + known + ")";
}

} // namespace pontra
