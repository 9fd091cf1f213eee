// SPDX-License-Identifier: GPL-3.0-or-later
// The datagram channel server of one module: request in, reply back to its sender.
#pragma once

#include <cstdint>
#include <string>

#include "sim/Net.h"
#include "sim/SoftModule.h"

namespace pontra::sim {

class DatagramServer {
public:
    explicit DatagramServer(SoftModule& module) : module_(module) {}
    bool Open(uint32_t address, uint16_t port, std::string& error);
    // Serves from now on through `loop`.
    void Attach(EventLoop& loop);

private:
    void Receive();

    SoftModule& module_;
    Fd socket_;
};

}  // namespace pontra::sim
