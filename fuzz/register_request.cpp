// SPDX-License-Identifier: GPL-3.0-or-later
// The soft module's register protocol server: any byte stream on one connection.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzSupport.h"
#include "sim/RegisterServer.h"

using namespace pontra::sim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pontra::fuzz::HeapBudget budget(size, 16, 1 << 20);
    static const SoftModule module({.identity = *IdentityFor("Vessa")});
    std::span<const uint8_t> in(data, size);
    std::vector<uint8_t> out;
    bool drop = false;
    while (!in.empty() && !drop) {
        const size_t used = ProcessRegisterRequest(in, module, out, drop);
        if (used == 0) break;
        FUZZ_CHECK(used <= in.size(), "consumes only what arrived");
        in = in.subspan(used);
    }
    FUZZ_CHECK(out.size() <= size * 64 + 512, "replies stay in proportion to requests");
    return 0;
}
