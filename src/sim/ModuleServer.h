// One soft module with its three servers, run by one thread until told to stop.
#pragma once

#include <cstdint>
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
    // Serves and scans until `wakeFd` becomes readable.
    void Run(int wakeFd);

    SoftModule& Module() { return module_; }

private:
    uint32_t address_;
    Ports ports_;
    SoftModule module_;
    RegisterServer registers_;
    TftpServer tftp_;
    DatagramServer datagrams_;
};

}  // namespace pontra::sim
