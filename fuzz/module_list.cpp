// SPDX-License-Identifier: GPL-3.0-or-later
// Module list files: any text; every address read is trimmed, on one line, and the list
// as written (CR LF after each) reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "online/ModuleList.h"

using namespace pontra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::HeapBudget budget(size, 8, 1 << 20);
    const auto addresses = ParseModuleList({reinterpret_cast<const char*>(data), size});
    std::string written;
    for (const auto& address : addresses) {
        FUZZ_CHECK(!address.empty() && address.find_first_of("\r\n") == std::string::npos, "one address a line");
        FUZZ_CHECK(address.front() != ' ' && address.back() != ' ', "addresses are trimmed");
        written += address + "\r\n";
    }
    FUZZ_CHECK(ParseModuleList(written) == addresses, "a written list reads back the same");
    return 0;
}
