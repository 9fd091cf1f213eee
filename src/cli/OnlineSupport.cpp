// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/OnlineSupport.h"

#include <cstdlib>
#include <iostream>

#include "build/OperandScope.h"
#include "cli/Commands.h"
#include "cli/TerminalHost.h"
#include "cli/TerminalText.h"
#include "online/OnlineSession.h"
#include "online/StartDebugging.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

using namespace std::chrono_literals;

// The status reply of the start arrives or times out within 400 ms of its send.
constexpr auto kStartTimeout = 5s;
// The stop completes once the channel's worker has ended: a few milliseconds, plus the
// stop timer's period.
constexpr auto kStopTimeout = 5s;

} // namespace

void AddOnlineOptions(CLI::App& sub, OnlineOptions& options) {
    sub.add_option("file", options.file, "project file (.clp)")->required();
    sub.add_option("--ip", options.ip, "module address A.B.C.D instead of the project's (not saved)");
    options.modbusOption =
        sub.add_option("--modbus-port", options.modbusPort,
                       "the module's register protocol port (TCP; default $PONTRA_MODBUS_PORT, else 502)")
            ->check(CLI::Range(1, 65535));
    options.tftpOption = sub.add_option("--tftp-port", options.tftpPort,
                                        "the module's TFTP port (default $PONTRA_TFTP_PORT, else 69)")
                             ->check(CLI::Range(1, 65535));
    options.udpOption = sub.add_option("--udp-port", options.udpPort,
                                       "the module's datagram channel port (default $PONTRA_UDP_PORT, else 55559)")
                            ->check(CLI::Range(1, 65535));
    sub.add_flag("--yes", options.yes, "answer OK/Yes to every question");
    sub.add_flag("--verbose", options.verbose,
                 "also print the build's verification lines when they report no error");
}

namespace {

// A port option's value: given on the command line, else from the environment variable,
// else the module's own port. A variable that is set but is no port is an error.
bool ResolvePort(const CLI::Option* option, const char* variable, uint16_t fallback, uint16_t& port,
                 const std::string& command) {
    if (option && option->count() > 0) return true;
    const char* text = std::getenv(variable);
    if (!text || !*text) {
        port = fallback;
        return true;
    }
    port = PortFromEnvironment(variable, 0);
    if (port != 0) return true;
    std::cerr << command << ": " << variable << "='" << text << "' is no port number (1-65535)\n";
    return false;
}

} // namespace

bool OpenOnline(CMainFrame& frame, TerminalHost& host, OnlineOptions options, const std::string& command) {
    if (!ResolvePort(options.modbusOption, "PONTRA_MODBUS_PORT", kDefaultModbusPort, options.modbusPort,
                     command) ||
        !ResolvePort(options.tftpOption, "PONTRA_TFTP_PORT", kDefaultTftpPort, options.tftpPort, command) ||
        !ResolvePort(options.udpOption, "PONTRA_UDP_PORT", kDefaultUdpPort, options.udpPort, command))
        return false;
    uint32_t address = 0;
    if (!options.ip.empty() && !ParseModuleAddress(options.ip, address)) {
        std::cerr << command << ": '" << options.ip << "' is no module address (A.B.C.D)\n";
        return false;
    }
    if (!OpenDocument(frame, options.file)) return false;
    if (!options.ip.empty()) frame.doc().SetModuleAddress(address);
    if (options.needsModuleAddress && frame.doc().moduleAddress == 0) {
        std::cerr << command << ": the project has no module address (0.0.0.0); set one with 'pontra-cli set "
                  << options.file << " --ip A.B.C.D', or give --ip A.B.C.D for this run\n";
        return false;
    }
    frame.online().SetPorts({options.modbusPort, options.tftpPort, options.udpPort});
    host.printVerification = options.verbose;
    return true;
}

namespace {

bool StartOnce(CMainFrame& frame, TerminalHost& host) {
    if (!StartDebugging(frame)) return false;
    host.PumpUntil([&] { return !frame.online().AwaitingStart(); }, kStartTimeout);
    return frame.debugMode != 0;
}

} // namespace

bool GoOnline(CMainFrame& frame, TerminalHost& host) {
    const uint64_t downloads = frame.online().CompletedDownloads();
    if (StartOnce(frame, host)) return true;
    // The start ends after the download it offered; what was asked is still to do.
    return frame.online().CompletedDownloads() != downloads && StartOnce(frame, host);
}

bool WaitForRead(CMainFrame& frame, TerminalHost& host, std::chrono::milliseconds timeout) {
    const uint64_t before = frame.online().CompleteReads();
    return host.PumpUntil([&] { return frame.online().CompleteReads() > before; }, timeout);
}

bool ReadNow(CMainFrame& frame, TerminalHost& host, std::chrono::milliseconds timeout) {
    const uint64_t read = frame.online().ReadTagMemoryNow();
    return host.PumpUntil([&] { return frame.online().ReadComplete(read); }, timeout);
}

void GoOffline(CMainFrame& frame, TerminalHost& host) {
    frame.online().StopDebugging();
    host.PumpUntil([&] { return frame.debugMode == 0; }, kStopTimeout);
}

const CTag* FindMainTag(CMainFrame& frame, const std::string& name) {
    const UnitScope scope = MainProgramScope(frame.project());
    return ResolveAlias(scope, FindOperandTag(scope, name)).tag;
}

std::string ValueLine(CMainFrame& frame, const std::string& name) {
    const CTag* tag = FindMainTag(frame, name);
    return name + " = " + (tag ? frame.online().ValueText(*tag, 0) : "...");
}

int ChangeTagOnline(const OnlineOptions& options, const std::string& command, const std::string& name,
                    const std::function<std::string(const CTag&)>& refusal,
                    const std::function<bool(CMainFrame&, const CTag&)>& change) {
    constexpr std::chrono::milliseconds kReadTimeout{5000};
    TerminalHost host(options.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, host, options, command)) return kExitUsage;
    const CTag* tag = FindMainTag(frame, name);
    if (!tag) {
        std::cerr << command << ": no tag '" << name << "' in the main program\n";
        return kExitUsage;
    }
    if (const std::string reason = refusal(*tag); !reason.empty()) {
        std::cerr << command << ": " << reason << "\n";
        return kExitFailed;
    }
    if (!GoOnline(frame, host)) return kExitFailed;
    // A read goes out at once rather than at the next poll: a toggle starts from the live
    // value, and the value shown afterwards is read after the change.
    const auto read = [&] {
        if (ReadNow(frame, host, kReadTimeout) && frame.online().DataValid()) return true;
        std::cerr << command << ": no complete read of tag memory from the module" << ToTerminal(frame.statusSuffix)
                  << "\n";
        return false;
    };
    const bool changed = read() && change(frame, *tag) && read();
    if (changed) std::cout << ToTerminal(ValueLine(frame, name)) << "\n";
    GoOffline(frame, host);
    return changed ? kExitOk : kExitFailed;
}

} // namespace pontra
