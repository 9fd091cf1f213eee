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

void ModuleServer::Run(int wakeFd) {
    PollSet set;
    bool stop = false;
    while (!stop) {
        const uint64_t now = NowMs();
        const uint64_t next = std::min({module_.Tick(now), registers_.OnTime(now), tftp_.OnTime(now)});
        set.Clear();
        set.Add(wakeFd, POLLIN, [&stop](short) { stop = true; });
        registers_.AddTo(set);
        tftp_.AddTo(set);
        datagrams_.AddTo(set);
        const uint64_t after = NowMs();
        const uint64_t wait = next <= after ? 0 : std::min(next - after, kMaxWaitMs);
        if (!set.Wait(static_cast<int>(wait))) break;
    }
}

}  // namespace pontra::sim
