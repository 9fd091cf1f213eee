// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli download-list: "Download to All Modules" with the project's module list
// file (or --list), printing one result line per module. It asks first, as download
// does, and reads the whole list before it touches any module.
#include <filesystem>
#include <iostream>

#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "cli/TerminalHost.h"
#include "cli/TerminalText.h"
#include "model/VessaDoc.h"
#include "online/ModuleList.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct DownloadListOptions {
    OnlineOptions online;
    std::string list;
};

int RunDownloadList(DownloadListOptions options) {
    TerminalHost host(options.online.yes);
    CMainFrame frame(host);
    options.online.needsModuleAddress = false; // the list names the modules
    if (!OpenOnline(frame, host, options.online, "download-list")) return kExitUsage;
    ModuleListDialog dialog(frame);
    std::string listPath = options.list;
    if (listPath.empty()) {
        // Where the dialog looks: the project's own list, else the shared one.
        const std::string own = ModuleListPath(frame.doc(), host.ProgramFolder());
        listPath = ModuleListReadPath(frame.doc(), host.ProgramFolder());
        std::error_code ec;
        if (!std::filesystem::exists(listPath, ec)) {
            std::cerr << "download-list: no module list: neither '" << own << "' nor '" << listPath
                      << "' exists; name one with --list FILE (one address A.B.C.D per line)\n";
            return kExitUsage;
        }
    } else {
        dialog.addresses = ReadModuleList(listPath);
    }
    // A line that is no address would otherwise fail as a module that does not answer.
    bool wellFormed = true;
    for (const auto& line : dialog.addresses) {
        uint32_t address = 0;
        if (ParseModuleAddress(line, address)) continue;
        std::cerr << "download-list: '" << line << "' in " << listPath
                  << " is no module address (A.B.C.D; # starts a comment)\n";
        wellFormed = false;
    }
    if (!wellFormed) return kExitUsage;
    // Every module on the list gets the program: the question of a single download.
    if (!dialog.addresses.empty() && !host.AskOkCancel("Do you really want Download Program?"))
        return kExitFailed;
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
                    "module list file, one address per line, # for comments (default: the project's "
                    "NAME_Modules.txt, else modules.txt in the program's folder)")
        ->check(CLI::ExistingFile);
    commands.push_back({sub, [options] { return RunDownloadList(*options); }});
}

} // namespace pontra
