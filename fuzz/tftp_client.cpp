// SPDX-License-Identifier: GPL-3.0-or-later
// TFTP packets as the client meets them: any datagrams while downloading (DATA blocks)
// and while uploading (acknowledgements), each as long as received, up to past a packet.
// Input: [download][block:2][offset / 512:2] then datagrams as chunks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "comm/TftpClient.h"

using namespace pontra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::HeapBudget budget(size, 16, 1 << 20);
    fuzz::Script in(data, size);
    const bool download = in.Flag();
    uint32_t block = in.Word();
    uint32_t offset = in.Word() * static_cast<uint32_t>(kTftpBlockSize);
    while (!in.Done()) {
        const auto bytes = in.Chunk();
        TftpPacket packet;
        std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), kTftpPacketSize), packet.Buffer());
        packet.SetLength(static_cast<long>(bytes.size()));
        std::string error;
        if (download) {
            size_t count = 0;
            if (!CheckDataPacket(packet, block, offset, count, error)) {
                FUZZ_CHECK(!error.empty(), "a refused packet needs a reason");
                break;
            }
            FUZZ_CHECK(count <= kTftpBlockSize && offset + count <= kTftpMaxFile, "blocks stay inside the limits");
            offset += static_cast<uint32_t>(count);
            ++block;
            if (count < kTftpBlockSize) break;
        } else if (IsAcknowledgement(packet, block, error)) {
            ++block;
        } else {
            FUZZ_CHECK(!error.empty(), "a refused acknowledgement needs a reason");
        }
    }
    return 0;
}
