// SPDX-License-Identifier: GPL-3.0-or-later
// The soft module's datagram server: any sequence of request datagrams (chunks) to a
// module that runs a small program, one scan after each.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "sim/ImageAssembler.h"
#include "sim/SoftModule.h"

using namespace pontra::sim;

namespace {

// One rung: a contact, a coil and a timer; 512 bytes of tag memory.
const std::vector<uint8_t>& Program() {
    static const std::vector<uint8_t> image = [] {
        test::Image image;
        image.code.Rung().Bit(kXic, 400, 0).Bit(kOte, 400, 1).Timer(kTon, 404).Rnd().End(true);
        return image.Bytes();
    }();
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pontra::fuzz::HeapBudget budget(size, 16, 1 << 20);
    pontra::fuzz::Script in(data, size);
    ModuleOptions options;
    options.identity = *IdentityFor("Vessa");
    SoftModule module(options);
    module.StoreProgram(Program(), 0);
    uint64_t now = 0;
    std::vector<uint8_t> reply;
    while (!in.Done()) {
        const auto request = in.Chunk();
        if (module.HandleDatagram(request, reply, now)) {
            FUZZ_CHECK(reply.size() >= 8 && reply.size() <= 8 + kMaxDatagramData, "replies fit one datagram");
            FUZZ_CHECK(reply[0] == request[0] && reply[1] == request[1], "a reply repeats the identifier");
        }
        now += 10;
        module.Tick(now);
        FUZZ_CHECK(module.Machine().Tags().size() == 512, "tag memory keeps its size");
    }
    return 0;
}
