// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-sim: one or many soft modules on loopback addresses, serving the register
// protocol, TFTP and the datagram channel, and running the program images they receive.
#include <CLI/CLI.hpp>
#include <sched.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <thread>

#include "sim/ModuleServer.h"

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;
constexpr size_t kMaxProgramFile = 1 << 20;  // far above any module's program memory

struct Settings {
    std::string address = "127.0.0.1";
    unsigned count = 1;
    std::string type = "Vessa";
    std::string firmware = "4.12";
    int memoryCode = -1;
    int modeRegister = -1;
    std::string variant;
    std::string program;
    uint16_t modbusPort = 502, tftpPort = 69, udpPort = 55559;
    unsigned scanMs = 10;
    bool tftpError10 = false;
    bool log = false;
};

int Usage(const std::string& message) {
    std::cerr << "pontra-sim: " << message << "\n";
    return kExitUsage;
}

// Decimal or 0x-prefixed hexadecimal, at most `max`.
std::optional<unsigned> ParseNumber(const std::string& text, unsigned max) {
    try {
        size_t used = 0;
        const unsigned long v = std::stoul(text, &used, 0);
        if (used != text.size() || v > max || text.front() == '-') return std::nullopt;
        return static_cast<unsigned>(v);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool ReadProgram(const std::string& path, std::vector<uint8_t>& image) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    image.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad() && image.size() <= kMaxProgramFile;
}

// Processors this process may run on (taskset narrows them), at least 1.
size_t UsableProcessors() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return static_cast<size_t>(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pontra::sim;
    Settings s;
    CLI::App app{"pontra-sim: soft Vessa modules on loopback addresses"};
    app.add_option("--address", s.address, "address of the first module (127.0.0.0/8 only)");
    app.add_option("--count", s.count, "number of modules at consecutive addresses")->check(CLI::Range(1u, 1024u));
    app.add_option("--type", s.type, "controller type the modules identify as");
    app.add_option("--firmware", s.firmware, "firmware version major.minor");
    app.add_option("--memory-code", s.memoryCode, "program memory size code 0..3")->check(CLI::Range(0, 3));
    app.add_option("--mode-register", s.modeRegister, "value of the operating mode register")
        ->check(CLI::Range(0, 65535));
    app.add_option("--variant", s.variant, "product variant code, e.g. 0x95");
    app.add_option("--program", s.program, "program image to load at start");
    app.add_option("--modbus-port", s.modbusPort, "register protocol TCP port")->check(CLI::Range(1, 65535));
    app.add_option("--tftp-port", s.tftpPort, "TFTP UDP port")->check(CLI::Range(1, 65535));
    app.add_option("--udp-port", s.udpPort, "datagram channel UDP port")->check(CLI::Range(1, 65535));
    app.add_option("--scan-ms", s.scanMs, "scan period in milliseconds")->check(CLI::Range(1u, 60000u));
    app.add_flag("--tftp-error10", s.tftpError10, "answer the last block of a write with error 10");
    app.add_flag("--log", s.log, "log every request to stderr");
    app.set_version_flag("--version",
                         "pontra-sim " PONTRA_VERSION "\n"
                         "Licence GPL-3.0-or-later: GNU GPL version 3 or later <https://www.gnu.org/licenses/gpl-3.0.html>.\n"
                         "This is free software: you are free to change and redistribute it.\n"
                         "There is NO WARRANTY, to the extent permitted by law.",
                         "print the version and the licence, then exit");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }

    const auto first = ParseIpv4(s.address);
    if (!first) return Usage("not an IPv4 address: " + s.address);
    const uint64_t lastAddress = uint64_t{*first} + s.count - 1;
    // Only loopback, and never its network or broadcast address.
    if (!IsLoopback(*first) || lastAddress > 0x7FFFFFFE || (*first & 0x00FFFFFF) == 0)
        return Usage("addresses must lie within 127.0.0.1 .. 127.255.255.254: " + s.address);
    std::optional<Identity> identity = IdentityFor(s.type);
    if (!identity) return Usage("unknown controller type: " + s.type);
    const auto firmware = ParseFirmware(s.firmware);
    if (!firmware) return Usage("firmware must be major.minor, e.g. 4.12: " + s.firmware);
    identity->firmware = *firmware;
    if (s.memoryCode >= 0) identity->memoryCode = static_cast<uint8_t>(s.memoryCode);
    if (s.modeRegister >= 0) identity->mode = static_cast<uint16_t>(s.modeRegister);
    if (!s.variant.empty()) {
        const auto variant = ParseNumber(s.variant, 0xFFFF);
        if (!variant) return Usage("variant must be a number up to 0xFFFF: " + s.variant);
        identity->variant = static_cast<uint16_t>(*variant);
    }
    std::vector<uint8_t> program;
    if (!s.program.empty() && !ReadProgram(s.program, program)) return Usage("cannot read program " + s.program);

    // Signals are taken by sigwait below, never by the module threads.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const Ports ports{s.modbusPort, s.tftpPort, s.udpPort};
    std::vector<std::unique_ptr<ModuleServer>> modules;
    for (unsigned i = 0; i < s.count; ++i) {
        ModuleOptions options;
        options.address = FormatIpv4(*first + i);
        options.identity = *identity;
        options.scanMs = s.scanMs;
        options.tftpError10 = s.tftpError10;
        options.log = s.log;
        auto module = std::make_unique<ModuleServer>(options, *first + i, ports);
        std::string error;
        if (!module->Open(error)) {
            std::cerr << "pontra-sim: " << error << "\n";
            return kExitFailed;
        }
        if (!program.empty()) module->Module().StoreProgram(program, NowMs());
        modules.push_back(std::move(module));
    }

    const int wake = eventfd(0, EFD_CLOEXEC);
    if (wake < 0) return kExitFailed;
    // One thread per processor the process may use, each serving its share of the modules:
    // a thread per module would wake a hundred times a second for each, and at a line's
    // scale the switching would cost more than the scans. A module's scan holds up the
    // others of its thread for its length (bounded by the instruction limit of a scan).
    const size_t loops = std::min<size_t>(modules.size(), UsableProcessors());
    std::vector<std::vector<ModuleServer*>> groups(loops);
    for (size_t i = 0; i < modules.size(); ++i) groups[i % loops].push_back(modules[i].get());
    std::vector<std::thread> threads;
    for (auto& group : groups)
        threads.emplace_back([&group, wake] {
            if (!RunModules(group, wake)) std::cerr << "pontra-sim: cannot wait for network events\n";
        });
    for (unsigned i = 0; i < s.count; ++i)
        std::printf("module %s %s ready\n", FormatIpv4(*first + i).c_str(), identity->type.c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&signals, &signal);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t w = write(wake, &one, sizeof one);  // wakes every module thread
    for (auto& t : threads) t.join();
    close(wake);
    return kExitOk;
}
