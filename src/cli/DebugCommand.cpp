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

// "A, B" names A and B: blanks around a name are no part of it.
std::vector<std::string> TagNames(const std::string& list) {
    std::vector<std::string> names;
    std::stringstream in(list);
    for (std::string name; std::getline(in, name, ',');) {
        const size_t first = name.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        names.push_back(name.substr(first, name.find_last_not_of(" \t") - first + 1));
    }
    return names;
}

int RunDebug(const DebugOptions& options) {
    TerminalHost host(options.online.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, host, options.online, "debug")) return kExitUsage;
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
        // The first read goes out at once; the others come at the poll's pace.
        if (!(poll == 0 ? ReadNow(frame, host, kReadTimeout) : WaitForRead(frame, host, kReadTimeout))) {
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
    sub->add_option("--tags", options->tags,
                    "tags to print, separated by commas (T1,T2.ACC,...; default none: the status only)");
    sub->add_option("--polls", options->polls,
                    "complete reads of tag memory before stopping, one a second (default 1)")
        ->check(CLI::Range(1, 100000));
    commands.push_back({sub, [options] { return RunDebug(*options); }});
}

} // namespace pontra
