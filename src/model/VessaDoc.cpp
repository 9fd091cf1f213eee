// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/VessaDoc.h"

#include <cstdio>

#include "model/ValueStyle.h"

namespace pontra {

CVessaDoc::CVessaDoc() : timeStamp(static_cast<uint32_t>(std::time(nullptr))) {}

void CVessaDoc::SetModuleAddress(uint32_t address) {
    moduleAddress = address;
    moduleAddressText = FormatModuleAddress(address);
}

std::string FormatModuleAddress(uint32_t a) {
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", (a >> 24) & 255, (a >> 16) & 255, (a >> 8) & 255, a & 255);
    return buffer;
}

bool ParseModuleAddress(const std::string& text, uint32_t& address) {
    uint32_t result = 0;
    size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        size_t end = part < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos || end == start || end - start > 3) return false;
        int value = 0;
        for (size_t i = start; i < end; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            value = value * 10 + (text[i] - '0');
        }
        if (value > 255) return false;
        result = (result << 8) | static_cast<uint32_t>(value);
        start = end + 1;
    }
    address = result;
    return true;
}

}  // namespace pontra
