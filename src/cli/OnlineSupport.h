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
    uint16_t modbusPort = ModbusPort();
    uint16_t tftpPort = TftpPort();
    uint16_t udpPort = UdpPort();
    bool yes = false;
};

void AddOnlineOptions(CLI::App& sub, OnlineOptions& options);

// Opens the project and applies --ip and the ports. False when the command cannot run
// (the reason is on stderr).
bool OpenOnline(CMainFrame& frame, const OnlineOptions& options, const std::string& command);

// "Debug" through both halves of the start; true when debug mode began.
bool GoOnline(CMainFrame& frame, TerminalHost& host);
// Waits for the next complete read of tag memory; false when none came in time.
bool WaitForRead(CMainFrame& frame, TerminalHost& host, std::chrono::milliseconds timeout);
// "Stop Debugging", waiting until the stop has completed.
void GoOffline(CMainFrame& frame, TerminalHost& host);

// A tag of the main program by its name (member paths and aliases followed), or null.
const CTag* FindMainTag(CMainFrame& frame, const std::string& name);
// "TAG = VALUE" with the live value (or "...").
std::string ValueLine(CMainFrame& frame, const std::string& name);

// The write and toggle commands: open the project, find the main-program tag (refused
// with `refusal` on stderr when missing or when `accepts` says no), go online, wait for
// the first read, apply `change`, wait for the next read, print the tag's value line and
// stop. Returns the exit status.
int ChangeTagOnline(const OnlineOptions& options, const std::string& command, const std::string& name,
                    const std::function<bool(const CTag&)>& accepts, const std::string& refusal,
                    const std::function<bool(CMainFrame&, const CTag&)>& change);

} // namespace pontra
