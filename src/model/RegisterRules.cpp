// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RegisterRules.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace pontra {

namespace {

bool In(std::string_view s, std::initializer_list<std::string_view> set) {
    return std::find(set.begin(), set.end(), s) != set.end();
}

bool HasReadWindows(std::string_view t) { return In(t, {"VessaK1", "VessaK2", "VessaK3", "KTX-310-1", "KTX-310-0"}); }

}  // namespace

bool SupportsRegisterOperations(std::string_view controllerType) { return controllerType != "Aldera"; }

bool IsValidRegisterNumber(std::string_view controllerType, std::string_view text, bool read, int& number) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || std::to_string(value) != text) return false;
    number = value;
    if (value >= 1 && value <= 512) return true;
    if (!read) return false;
    if (HasReadWindows(controllerType))
        return (value >= 10000 && value <= 10030) || (value >= 10100 && value <= 10130);
    if (controllerType == "VessaK2/K3-48V") return value >= 10000 && value <= 10200;
    return false;
}

std::string RegisterRangeMessage(std::string_view controllerType, bool read) {
    if (read && HasReadWindows(controllerType))
        return "Not valid number (Register No must be in range from 1 up to 512, 10000 up to 10030 or 10100 up to 10130)";
    if (read && controllerType == "VessaK2/K3-48V")
        return "Not valid number (Register No must be in range from 1 up to 512 or 10000 up to 10200)";
    return "Not valid number (Register No must be in range from 1 up to 512)";
}

bool IsControllerOutputRegister(std::string_view controllerType, int n) {
    if (controllerType == "Brindle")
        return (n >= 50 && n <= 53) || (n >= 60 && n <= 63) || (n >= 70 && n <= 78) || n == 81 || n == 116 ||
               n == 196 || n == 201 || n == 202 || n == 268 || n == 269;
    if (In(controllerType, {"Vessa", "VessaK1", "Vessa-Lite", "Vessa-IX", "VessaK2", "Kormo", "VessaK2/K3-48V", "VessaK3",
                            "KTX-310-1", "KTX-310-B", "KTX-310-0", "KTI-8-0"})) {
        for (int f : {8, 9, 13, 14, 34, 37, 40, 60, 64, 84, 116, 196, 201, 202, 260, 268, 269, 270})
            if (n == f) return true;
    }
    return false;
}

}  // namespace pontra
