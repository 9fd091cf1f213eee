// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli download: "Download Program" to the project's module (or --ip).
#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "cli/TerminalHost.h"
#include "online/DownloadProgram.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

int RunDownload(const OnlineOptions& options) {
    TerminalHost host(options.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, host, options, "download")) return kExitUsage;
    return DownloadProgram(frame) ? kExitOk : kExitFailed;
}

} // namespace

void AddDownloadCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<OnlineOptions>();
    CLI::App* sub = app.add_subcommand("download", "build the program image and download it to the module");
    AddOnlineOptions(*sub, *options);
    commands.push_back({sub, [options] { return RunDownload(*options); }});
}

} // namespace pontra
