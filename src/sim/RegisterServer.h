// SPDX-License-Identifier: GPL-3.0-or-later
// The register protocol server (Modbus/TCP, read holding registers only) of one module.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sim/Net.h"
#include "sim/SoftModule.h"

namespace pontra::sim {

// Handles the request at the start of `in`: appends the reply to `out` and returns the
// bytes consumed, 0 when the request is not complete yet. `drop` is set for a stream that
// cannot be a register protocol stream (the connection is then closed).
size_t ProcessRegisterRequest(std::span<const uint8_t> in, const SoftModule& module, std::vector<uint8_t>& out,
                              bool& drop);

class RegisterServer {
public:
    explicit RegisterServer(SoftModule& module) : module_(module) {}
    bool Open(uint32_t address, uint16_t port, std::string& error);
    // Serves from now on through `loop`.
    void Attach(EventLoop& loop);
    // Closes idle and finished connections; returns when it next needs to look.
    uint64_t OnTime(uint64_t nowMs);

private:
    struct Connection {
        Fd fd;
        std::vector<uint8_t> in, out;
        uint64_t lastActive = 0;
        bool closed = false;
    };
    void Accept();
    void Service(Connection& c, short revents);

    SoftModule& module_;
    EventLoop* loop_ = nullptr;
    Fd listen_;
    std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace pontra::sim
