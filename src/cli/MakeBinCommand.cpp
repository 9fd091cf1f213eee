// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli make-bin: "Make .bin File", writing PLCDATA_<title>.bin beside the project.
#include "build/BuildCommands.h"
#include "cli/Commands.h"
#include "cli/ProjectSource.h"
#include "cli/TerminalHost.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct MakeBinOptions {
    ProjectSource source;
    bool yes = false;
};

int RunMakeBin(const MakeBinOptions& options) {
    TerminalHost host(options.yes);
    CMainFrame frame(host);
    if (!OpenProjectSource(frame, options.source, "make-bin")) return kExitUsage;
    return MakeBinFileCommand(frame) ? kExitOk : kExitFailed;
}

}  // namespace

void AddMakeBinCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<MakeBinOptions>();
    CLI::App* sub = app.add_subcommand("make-bin", "build the program image PLCDATA_<title>.bin beside the project");
    AddProjectSourceOptions(*sub, options->source);
    sub->add_flag("--yes", options->yes, "answer OK/Yes to questions");
    commands.push_back({sub, [options] { return RunMakeBin(*options); }});
}

}  // namespace pontra
