// SPDX-License-Identifier: GPL-3.0-or-later
// Datagram channel replies: any datagrams from two sources and two ports against
// requests of every command, some out and some not; replies land only in requests
// they belong to.
// Input: [read count:2] then per request [sent][identifier]; then passes: [datagrams]
// and per datagram [source][from the module port][full length:2] chunk; then
// [milliseconds:2] before the matching.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "comm/SocketPlatform.h"
#include "comm/UdpReplies.h"

using namespace pontra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::HeapBudget budget(size, 16, 1 << 20);
    fuzz::Script in(data, size);
    constexpr uint16_t kModulePort = 55559;
    const char* sources[] = {"127.0.0.1", "127.0.0.2"};
    const uint8_t written[4] = {1, 2, 3, 4};
    const auto readCount = static_cast<uint16_t>(in.Pick(kUdpMaxRead) + 1);
    std::vector<std::unique_ptr<UdpRequest>> requests;
    for (const char* destination : sources) {
        requests.push_back(ReadMemoryRequest(destination, 400, readCount));
        requests.push_back(StatusRequest(destination));
        requests.push_back(WriteMemoryRequest(destination, 400, written, sizeof written));
        requests.push_back(BitRequest(destination, 400, 3, true));
        requests.push_back(ModeRequest(destination, true));
    }
    for (auto& r : requests) {
        r->state = in.Flag() ? kUdpSent : kUdpQueued;
        r->identifier = in.Byte() % 16;
        r->timeSent = 0;
    }

    UdpReplyFilter filter(kModulePort);
    uint32_t now = 0;
    while (!in.Done()) {
        std::vector<UdpDatagram> pass;
        for (int count = in.Byte() % 11; count > 0; --count) {
            const uint32_t address = InetAddr(sources[in.Flag()]);
            const uint16_t port = in.Flag() ? kModulePort : kModulePort + 1;
            const size_t full = in.Word();
            const auto received = in.Chunk();
            if (auto d = filter.Accept(address, port, received, std::max(full, received.size())))
                pass.push_back(std::move(*d));
        }
        now += in.Word() % 1000;
        MatchUdpReplies(requests, pass, now, 400);
    }
    for (const auto& r : requests) {
        FUZZ_CHECK(r->replyLength <= kUdpDatagramSize, "a reply fits its request's buffer");
        if (r->state == kUdpAnswered || r->state == kUdpErrorReply)
            FUZZ_CHECK(r->replyLength >= kUdpHeaderSize && (r->reply[0] | r->reply[1] << 8) == r->identifier,
                       "a reply carries its request's identifier");
    }
    return 0;
}
