// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli verify: "Verify Program" (the build with header only); the output window
// goes to stdout.
#include "build/BuildCommands.h"
#include "cli/Commands.h"
#include "cli/ProjectSource.h"
#include "cli/TerminalHost.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

int RunVerify(const ProjectSource& source) {
    TerminalHost host(false);
    CMainFrame frame(host);
    if (!OpenProjectSource(frame, source, "verify")) return kExitUsage;
    return VerifyProgramCommand(frame) ? kExitOk : kExitFailed;
}

}  // namespace

void AddVerifyCommand(CLI::App& app, CommandList& commands) {
    auto source = std::make_shared<ProjectSource>();
    CLI::App* sub = app.add_subcommand("verify", "verify a project and report its program and tag sizes");
    AddProjectSourceOptions(*sub, *source);
    commands.push_back({sub, [source] { return RunVerify(*source); }});
}

}  // namespace pontra
