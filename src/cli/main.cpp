// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli: the Pontra core without a window.
#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "cli/OutputCheck.h"
#include "cli/SubcommandGuide.h"

int main(int argc, char** argv) {
    CLI::App app{"pontra-cli: build, inspect and download Vessa zone-control programs without a window"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("pontra-cli ") + PONTRA_VERSION + "\nLicence: GPL-3.0-or-later",
                         "print the version and the licence");

    pontra::CommandList commands;
    pontra::AddNewCommand(app, commands);
    pontra::AddDumpCommand(app, commands);
    pontra::AddSetCommand(app, commands);
    pontra::AddVerifyCommand(app, commands);
    pontra::AddMakeBinCommand(app, commands);
    pontra::AddExportCommand(app, commands);
    pontra::AddImportCommand(app, commands);
    pontra::AddDownloadCommand(app, commands);
    pontra::AddDownloadListCommand(app, commands);
    pontra::AddDeleteProgramCommand(app, commands);
    pontra::AddDebugCommand(app, commands);
    pontra::AddWriteCommand(app, commands);
    pontra::AddToggleCommand(app, commands);
    pontra::AddModeCommand(app, commands);
    pontra::AddTestCommand(app, commands);
    pontra::AddDiffCommand(app, commands);
    pontra::AddTextconvCommand(app, commands);
    pontra::AddXrefCommand(app, commands);

    if (const auto answered = pontra::GuideBeforeParse(app, argc, argv)) return *answered;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? pontra::kExitOk : pontra::kExitUsage;
    }
    for (auto& command : commands)
        if (command.app->parsed()) return pontra::CheckedOutput(command.run());
    return pontra::kExitUsage;
}
