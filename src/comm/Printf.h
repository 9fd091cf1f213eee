// SPDX-License-Identifier: GPL-3.0-or-later
// printf-style formatting into a string, for the channels' fixed message texts.
#pragma once

#include <cstdio>
#include <string>

namespace pontra {

template <typename... Args> std::string Printf(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<size_t>(n));
    return text;
}

} // namespace pontra
