// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli debug: goes online, prints the named tags and the status after each
// complete read of tag memory, and stops after N reads.
#include <iostream>
#include <sstream>

#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "cli/TerminalHost.h"
#include "cli/TerminalText.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct DebugOptions {
    OnlineOptions online;
    std::string tags;
    int polls = 1;
};

// One read of tag memory takes a second; a module that has gone silent gets this long
// beyond that before the command gives up.
constexpr std::chrono::milliseconds kReadTimeout{5000};

std::vector<std::string> TagNames(const std::string& list) {
    std::vector<std::string> names;
    std::stringstream in(list);
    for (std::string name; std::getline(in, name, ',');)
        if (!name.empty()) names.push_back(name);
    return names;
}

int RunDebug(const DebugOptions& options) {
    TerminalHost host(options.online.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, options.online, "debug")) return kExitUsage;
    const std::vector<std::string> names = TagNames(options.tags);
    for (const auto& name : names) {
        if (!FindMainTag(frame, name)) {
            std::cerr << "debug: no tag '" << name << "' in the main program\n";
            return kExitUsage;
        }
    }
    if (!GoOnline(frame, host)) return kExitFailed;
    int status = kExitOk;
    for (int poll = 0; poll < options.polls; ++poll) {
        if (!WaitForRead(frame, host, kReadTimeout)) {
            std::cerr << "debug: no complete read of tag memory from the module" << ToTerminal(frame.statusSuffix)
                      << "\n";
            status = kExitFailed;
            break;
        }
        for (const auto& name : names) std::cout << ToTerminal(ValueLine(frame, name)) << "\n";
        std::cout << "status: " << ToTerminal(frame.online().StatusText()) << "\n" << std::flush;
    }
    GoOffline(frame, host);
    return status;
}

} // namespace

void AddDebugCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<DebugOptions>();
    CLI::App* sub =
        app.add_subcommand("debug", "go online and print live values after each read of tag memory");
    AddOnlineOptions(*sub, options->online);
    sub->add_option("--tags", options->tags, "tags to print, separated by commas (T1,T2.ACC,...)");
    sub->add_option("--polls", options->polls, "complete reads of tag memory before stopping")
        ->check(CLI::Range(1, 100000));
    commands.push_back({sub, [options] { return RunDebug(*options); }});
}

} // namespace pontra
