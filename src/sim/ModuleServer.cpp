// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ModuleServer.h"

#include <algorithm>

namespace pontra::sim {

namespace {
constexpr uint64_t kMaxWaitMs = 1000;  // the loop looks at its timers at least this often
}  // namespace

ModuleServer::ModuleServer(ModuleOptions options, uint32_t address, Ports ports)
    : address_(address), ports_(ports), module_(std::move(options)), registers_(module_), tftp_(module_),
      datagrams_(module_) {}

bool ModuleServer::Open(std::string& error) {
    return registers_.Open(address_, ports_.modbus, error) && tftp_.Open(address_, ports_.tftp, error) &&
           datagrams_.Open(address_, ports_.udp, error);
}

void ModuleServer::Attach(EventLoop& loop) {
    registers_.Attach(loop);
    tftp_.Attach(loop);
    datagrams_.Attach(loop);
}

uint64_t ModuleServer::OnTime(uint64_t nowMs) {
    return std::min({module_.Tick(nowMs), registers_.OnTime(nowMs), tftp_.OnTime(nowMs)});
}

bool RunModules(std::span<ModuleServer* const> modules, int wakeFd) {
    EventLoop loop;
    bool stop = false;
    if (!loop.Valid() || !loop.Watch(wakeFd, false, [&stop](short) { stop = true; })) return false;
    for (ModuleServer* m : modules) m->Attach(loop);
    while (!stop) {
        uint64_t next = UINT64_MAX;
        for (ModuleServer* m : modules) next = std::min(next, m->OnTime(NowMs()));
        const uint64_t after = NowMs();
        const uint64_t wait = next <= after ? 0 : std::min(next - after, kMaxWaitMs);
        if (!loop.Wait(static_cast<int>(wait))) return false;
    }
    return true;
}

}  // namespace pontra::sim
