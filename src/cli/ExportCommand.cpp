// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli export: the component text of the main program, the main task, a function
// block or a user-defined type, on stdout or into a file.
#include <iostream>

#include "cli/Commands.h"
#include "cli/TerminalHost.h"
#include "cli/TerminalText.h"
#include "files/ComponentExport.h"
#include "model/Project.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct ExportOptions {
    std::string file;
    bool main = false;
    bool task = false;
    std::string fb;
    std::string type;
    std::string out;
};

int RunExport(const ExportOptions& options) {
    const int chosen = int(options.main) + int(options.task) + int(!options.fb.empty()) + int(!options.type.empty());
    if (chosen != 1) {
        std::cerr << "export: give exactly one of --main, --task, --fb NAME, --type NAME\n";
        return kExitUsage;
    }
    TerminalHost host(false);
    CMainFrame frame(host);
    if (!OpenDocument(frame, options.file)) return kExitUsage;

    ExportSubject subject = options.main ? ExportSubject::MainProgram : ExportSubject::MainTask;
    const CUnit* unit = nullptr;
    if (!options.fb.empty() || !options.type.empty()) {
        const bool fb = !options.fb.empty();
        const std::string& name = fb ? options.fb : options.type;
        unit = frame.project().FindUnit(name);
        if (!unit || unit->IsFunctionBlock() != fb) {
            std::cerr << "export: the project has no " << (fb ? "function block" : "user-defined type") << " '" << name
                      << "'\n";
            return kExitUsage;
        }
        subject = fb ? ExportSubject::FunctionBlock : ExportSubject::Type;
    }
    // "-o -" is stdout, as for other tools; never a file named "-".
    if (!options.out.empty() && options.out != "-")
        return ExportComponent(frame, subject, unit, options.out) ? kExitOk : kExitFailed;
    const std::optional<std::string> text = ExportText(frame.project(), subject, unit);
    if (!text) {
        host.Message(kExportForbiddenSymbol);
        return kExitFailed;
    }
    // On stdout the text is for the terminal; -o writes the file as the project keeps it.
    // Both import again: a UTF-8 component file is read as UTF-8.
    std::cout << ToTerminal(*text) << std::flush;
    return kExitOk;
}

}  // namespace

void AddExportCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* sub = app.add_subcommand("export", "write a component of a project as text");
    sub->add_option("file", options->file, "project file (.clp)")->required();
    sub->add_flag("--main", options->main, "the main program");
    sub->add_flag("--task", options->task, "the main task: main program, every function block and type");
    sub->add_option("--fb", options->fb, "a function block");
    sub->add_option("--type", options->type, "a user-defined type");
    sub->add_option("-o,--output", options->out, "write to this file (default, or -: stdout)");
    commands.push_back({sub, [options] { return RunExport(*options); }});
}

}  // namespace pontra
