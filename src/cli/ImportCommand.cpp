// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli import: component text into a project, which is then saved.
#include <iostream>

#include "cli/Commands.h"
#include "cli/TerminalHost.h"
#include "files/ComponentImport.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct ImportOptions {
    std::string file;
    std::string input;
    bool yes = false;
};

int RunImport(const ImportOptions& options) {
    TerminalHost host(options.yes);
    CMainFrame frame(host);
    if (!OpenDocument(frame, options.file)) return kExitUsage;
    const ImportOutcome outcome = OnImport(frame, options.input);
    if (!outcome.ran) return kExitUsage;
    // A file with errors would leave the project half imported: it is not saved.
    if (!outcome.ok) return kExitFailed;
    if (frame.doc().modified && !SaveDocument(frame)) return kExitFailed;
    return outcome.declined ? kExitFailed : kExitOk;
}

}  // namespace

void AddImportCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<ImportOptions>();
    CLI::App* sub = app.add_subcommand(
        "import", "import the components of a text file into a project, then save it (not when the import reports errors)");
    sub->add_option("file", options->file, "project file (.clp)")->required();
    sub->add_option("input", options->input, "component text file (.txt)")->required();
    sub->add_flag("--yes", options->yes, "answer OK/Yes to every question (replace existing components)");
    commands.push_back({sub, [options] { return RunImport(*options); }});
}

}  // namespace pontra
