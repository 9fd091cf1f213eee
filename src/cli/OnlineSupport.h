// SPDX-License-Identifier: GPL-3.0-or-later
// What the online subcommands of pontra-cli share: the project file, --ip, the module
// ports and --yes; going online through both halves of the start, waiting for reads of
// tag memory, and stopping.
#pragma once

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "comm/Ports.h"

namespace pontra {

class CMainFrame;
class CTag;
class TerminalHost;

struct OnlineOptions {
    std::string file;
    std::string ip; // replaces the project's module address for this run (not saved)
    uint16_t modbusPort = kDefaultModbusPort;
    uint16_t tftpPort = kDefaultTftpPort;
    uint16_t udpPort = kDefaultUdpPort;
    bool yes = false;
    bool verbose = false; // also the build's verification lines when they report no error
    bool needsModuleAddress = true; // false: the command's modules come from elsewhere
    // The port options, to tell a port given on the command line from the default.
    CLI::Option* modbusOption = nullptr;
    CLI::Option* tftpOption = nullptr;
    CLI::Option* udpOption = nullptr;
};

void AddOnlineOptions(CLI::App& sub, OnlineOptions& options);

// Opens the project and applies --ip, the ports (options, else PONTRA_*_PORT, else the
// module's own) and --verbose. False when the command cannot run (the reason is on
// stderr): also for a PONTRA_*_PORT that is no port and for a module address 0.0.0.0.
bool OpenOnline(CMainFrame& frame, TerminalHost& host, OnlineOptions options, const std::string& command);

// "Debug" through both halves of the start; true when debug mode began. When the start
// offered a download of this project (another program in the module) and the download
// went through, the start runs again on the program now in the module.
bool GoOnline(CMainFrame& frame, TerminalHost& host);
// Waits for the next complete read of tag memory; false when none came in time.
bool WaitForRead(CMainFrame& frame, TerminalHost& host, std::chrono::milliseconds timeout);
// Reads the whole tag memory at once and waits for it; false when it did not come in
// time.
bool ReadNow(CMainFrame& frame, TerminalHost& host, std::chrono::milliseconds timeout);
// "Stop Debugging", waiting until the stop has completed.
void GoOffline(CMainFrame& frame, TerminalHost& host);

// A tag of the main program by its name (member paths and aliases followed), or null.
const CTag* FindMainTag(CMainFrame& frame, const std::string& name);
// "TAG = VALUE" with the live value (or "...").
std::string ValueLine(CMainFrame& frame, const std::string& name);

// The write and toggle commands: open the project, find the main-program tag (missing:
// a usage error), let `refusal` say what keeps the change from the tag (empty: nothing;
// else printed, status 1), go online, read the tag memory, apply `change`, read again,
// print the tag's value line and stop. Returns the exit status.
int ChangeTagOnline(const OnlineOptions& options, const std::string& command, const std::string& name,
                    const std::function<std::string(const CTag&)>& refusal,
                    const std::function<bool(CMainFrame&, const CTag&)>& change);

} // namespace pontra
