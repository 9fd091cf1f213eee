// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/OnlineSupport.h"

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
    sub.add_option("--modbus-port", options.modbusPort, "the module's register protocol port (TCP)")
        ->check(CLI::Range(1, 65535));
    sub.add_option("--tftp-port", options.tftpPort, "the module's TFTP port")->check(CLI::Range(1, 65535));
    sub.add_option("--udp-port", options.udpPort, "the module's datagram channel port")
        ->check(CLI::Range(1, 65535));
    sub.add_flag("--yes", options.yes, "answer OK/Yes to every question");
}

bool OpenOnline(CMainFrame& frame, const OnlineOptions& options, const std::string& command) {
    uint32_t address = 0;
    if (!options.ip.empty() && !ParseModuleAddress(options.ip, address)) {
        std::cerr << command << ": '" << options.ip << "' is no module address (A.B.C.D)\n";
        return false;
    }
    if (!OpenDocument(frame, options.file)) return false;
    if (!options.ip.empty()) frame.doc().SetModuleAddress(address);
    frame.online().SetPorts({options.modbusPort, options.tftpPort, options.udpPort});
    return true;
}

bool GoOnline(CMainFrame& frame, TerminalHost& host) {
    if (!StartDebugging(frame)) return false;
    host.PumpUntil([&] { return !frame.online().AwaitingStart(); }, kStartTimeout);
    return frame.debugMode != 0;
}

bool WaitForRead(CMainFrame& frame, TerminalHost& host, std::chrono::milliseconds timeout) {
    const uint64_t before = frame.online().CompleteReads();
    return host.PumpUntil([&] { return frame.online().CompleteReads() > before; }, timeout);
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
                    const std::function<bool(const CTag&)>& accepts, const std::string& refusal,
                    const std::function<bool(CMainFrame&, const CTag&)>& change) {
    constexpr std::chrono::milliseconds kReadTimeout{5000};
    TerminalHost host(options.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, options, command)) return kExitUsage;
    const CTag* tag = FindMainTag(frame, name);
    if (!tag || !accepts(*tag)) {
        std::cerr << command << ": " << refusal << "\n";
        return kExitUsage;
    }
    if (!GoOnline(frame, host)) return kExitFailed;
    int status = kExitFailed;
    // Writes start from the live value, so the first read must have come.
    if (WaitForRead(frame, host, kReadTimeout) && change(frame, *tag) &&
        WaitForRead(frame, host, kReadTimeout)) {
        std::cout << ToTerminal(ValueLine(frame, name)) << "\n";
        status = kExitOk;
    }
    GoOffline(frame, host);
    return status;
}

} // namespace pontra
