// SPDX-License-Identifier: GPL-3.0-or-later
// One soft module with its three servers; one thread runs many of them (RunModules).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "sim/DatagramServer.h"
#include "sim/RegisterServer.h"
#include "sim/SoftModule.h"
#include "sim/TftpServer.h"

namespace pontra::sim {

struct Ports {
    uint16_t modbus = 502;
    uint16_t tftp = 69;
    uint16_t udp = 55559;
};

class ModuleServer {
public:
    ModuleServer(ModuleOptions options, uint32_t address, Ports ports);
    ModuleServer(const ModuleServer&) = delete;
    ModuleServer& operator=(const ModuleServer&) = delete;

    // Binds the three sockets; false with `error` when one cannot be bound.
    bool Open(std::string& error);
    // Serves from now on through `loop`.
    void Attach(EventLoop& loop);
    // Runs the scan that is due and the servers' timers; returns when it next needs to look.
    uint64_t OnTime(uint64_t nowMs);

    SoftModule& Module() { return module_; }

private:
    uint32_t address_;
    Ports ports_;
    SoftModule module_;
    RegisterServer registers_;
    TftpServer tftp_;
    DatagramServer datagrams_;
};

// Serves and scans `modules` on the calling thread until `wakeFd` becomes readable; false
// when its event loop cannot be set up.
bool RunModules(std::span<ModuleServer* const> modules, int wakeFd);

}  // namespace pontra::sim
