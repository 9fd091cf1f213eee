// SPDX-License-Identifier: GPL-3.0-or-later
// The soft module's TFTP side: any sequence of datagrams from a few peers to the request
// port or to open transfers, with time passing in between.
// Input: [memory code][error 10] then events: [0][peer] chunk to the request port,
// [1][transfer] chunk to an open transfer, [2][milliseconds:2] time passes.
#include <cstddef>
#include <cstdint>
#include <set>

#include "FuzzSupport.h"
#include "sim/Net.h"
#include "sim/SoftModule.h"
#include "sim/TftpService.h"

using namespace pontra::sim;

namespace {

class RecordingLink : public TftpLink {
public:
    void SendFromServer(const sockaddr_in&, std::span<const uint8_t> packet) override { Check(packet); }
    bool OpenTransfer(uint32_t id, const sockaddr_in&) override { return open.insert(id).second; }
    void SendOnTransfer(uint32_t id, std::span<const uint8_t> packet) override {
        FUZZ_CHECK(open.count(id), "sends only on open transfers");
        Check(packet);
    }
    void CloseTransfer(uint32_t id) override { FUZZ_CHECK(open.erase(id) == 1, "closes an open transfer once"); }

    std::set<uint32_t> open;

private:
    static void Check(std::span<const uint8_t> packet) {
        FUZZ_CHECK(packet.size() >= 4 && packet.size() <= 4 + 512 + 64, "packets are ACK, DATA or short errors");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pontra::fuzz::HeapBudget budget(size, 16, 1 << 20);
    pontra::fuzz::Script in(data, size);
    ModuleOptions options;
    options.identity = *IdentityFor("Vessa");
    options.identity.memoryCode = in.Byte() % 4;
    options.tftpError10 = in.Flag();
    SoftModule module(options);
    RecordingLink link;
    TftpService service(module, link);
    uint64_t now = 1000;
    while (!in.Done()) {
        switch (in.Byte() % 3) {
            case 0: {
                const auto peer = static_cast<uint32_t>(in.Byte() % 4);
                const sockaddr_in from = Endpoint(0x7F000001u + peer / 2, static_cast<uint16_t>(50000 + peer % 2));
                service.OnRequest(in.Chunk(), from, now);
                break;
            }
            case 1: {
                const auto open = service.OpenTransfers();
                const size_t pick = in.Pick(open.size());
                const auto packet = in.Chunk();
                if (!open.empty()) service.OnPacket(open[pick], packet, now);
                break;
            }
            default:
                now += in.Word();
                service.OnTime(now);
        }
    }
    FUZZ_CHECK(module.Program().size() <= module.ProgramMemoryLimit(), "no image beyond program memory");
    return 0;
}
