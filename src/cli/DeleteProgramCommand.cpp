// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli delete-program: "Delete Module Program" on the project's module (or --ip).
#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "cli/TerminalHost.h"
#include "online/DeleteModuleProgram.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

int RunDeleteProgram(const OnlineOptions& options) {
    TerminalHost host(options.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, host, options, "delete-program")) return kExitUsage;
    return DeleteModuleProgram(frame) ? kExitOk : kExitFailed;
}

} // namespace

void AddDeleteProgramCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<OnlineOptions>();
    CLI::App* sub = app.add_subcommand("delete-program", "delete the program stored in the module");
    AddOnlineOptions(*sub, *options);
    commands.push_back({sub, [options] { return RunDeleteProgram(*options); }});
}

} // namespace pontra
