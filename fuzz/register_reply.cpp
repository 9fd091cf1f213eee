// SPDX-License-Identifier: GPL-3.0-or-later
// Register protocol replies: any bytes as the reply to a read request of any register
// range; only a reply that carries every register asked for gives values.
// Input: [transaction:2][register - 1:2][count:1] then the reply.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "comm/RegisterClient.h"

using namespace pontra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::HeapBudget budget(size, 16, 1 << 20);
    fuzz::Script in(data, size);
    const uint16_t transaction = in.Word();
    const int reg = in.Word() + 1;
    const int count = static_cast<int>(in.Pick(kMaxRegisterCount)) + 1;
    const auto request = BuildReadRequest(transaction, reg, count);

    const auto received = in.Rest();
    TransactReply reply;
    reply.length = static_cast<int>(std::min(received.size(), kReplyBufferSize));
    reply.bytes.assign(received.begin(), received.begin() + reply.length);
    reply.bytes.resize(kReplyBufferSize, 0);

    std::vector<uint16_t> out;
    uint16_t errorCode = 0;
    const ReadReplyKind kind = CheckReadReply(request, reply, out, errorCode);
    const size_t asked = static_cast<size_t>(request[10] << 8 | request[11]);
    if (kind != ReadReplyKind::Mismatch) FUZZ_CHECK(out.size() == asked, "one value per register asked for");
    if (kind == ReadReplyKind::Registers)
        FUZZ_CHECK(static_cast<size_t>(reply.length) >= 9 + 2 * asked, "values only from bytes received");
    return 0;
}
