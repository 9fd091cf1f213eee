// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli download-list: "Download to All Modules" with the project's module list
// file (or --list), printing one result line per module.
#include <iostream>

#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "cli/TerminalHost.h"
#include "cli/TerminalText.h"
#include "online/ModuleList.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct DownloadListOptions {
    OnlineOptions online;
    std::string list;
};

int RunDownloadList(const DownloadListOptions& options) {
    TerminalHost host(options.online.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, options.online, "download-list")) return kExitUsage;
    ModuleListDialog dialog(frame);
    if (!options.list.empty()) dialog.addresses = ReadModuleList(options.list);
    const bool ok = dialog.DownloadToAllModules();
    for (const auto& line : dialog.output) std::cout << ToTerminal(line) << "\n";
    return ok ? kExitOk : kExitFailed;
}

} // namespace

void AddDownloadListCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<DownloadListOptions>();
    CLI::App* sub =
        app.add_subcommand("download-list", "download the program image to every module of a list");
    AddOnlineOptions(*sub, options->online);
    sub->add_option("--list", options->list,
                    "module list file, one address per line (default: the project's _Modules.txt)")
        ->check(CLI::ExistingFile);
    commands.push_back({sub, [options] { return RunDownloadList(*options); }});
}

} // namespace pontra
