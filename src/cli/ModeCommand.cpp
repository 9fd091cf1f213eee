// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli mode: goes online, switches the module to run or program mode, reads the
// status once and prints it, then stops.
#include <iostream>

#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "cli/TerminalHost.h"
#include "cli/TerminalText.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct ModeOptions {
    OnlineOptions online;
    std::string mode;
};

constexpr std::chrono::milliseconds kStatusTimeout{3000};

int RunMode(const ModeOptions& options) {
    TerminalHost host(options.online.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, host, options.online, "mode")) return kExitUsage;
    if (!GoOnline(frame, host)) return kExitFailed;
    OnlineSession& session = frame.online();
    const bool run = options.mode == "run";
    const uint64_t before = session.StatusReplies();
    if (run)
        session.SetRunMode();
    else
        session.SetProgramMode();
    const bool answered = host.PumpUntil([&] { return session.StatusReplies() > before; }, kStatusTimeout);
    const int state = session.RunState();
    std::cout << "mode: " << (state == 1 ? "run" : state == 0 ? "program" : "unknown") << "\n";
    std::cout << "status: " << ToTerminal(session.StatusText()) << "\n";
    GoOffline(frame, host);
    return answered && state == (run ? 1 : 0) ? kExitOk : kExitFailed;
}

} // namespace

void AddModeCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<ModeOptions>();
    CLI::App* sub = app.add_subcommand("mode", "go online and switch the module to run or program mode");
    AddOnlineOptions(*sub, options->online);
    sub->add_option("mode", options->mode, "run or program")
        ->required()
        ->check(CLI::IsMember({"run", "program"}));
    commands.push_back({sub, [options] { return RunMode(*options); }});
}

} // namespace pontra
