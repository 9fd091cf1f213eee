// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli new: a new project with the defaults, saved to a file.
#include <filesystem>
#include <iostream>

#include "cli/Commands.h"
#include "cli/ControllerTypeHint.h"
#include "cli/TerminalHost.h"
#include "files/ProjectReader.h"
#include "model/Project.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct NewOptions {
    std::string file;
    std::string type = "Vessa";
    std::string ip;
};

int RunNew(const NewOptions& options) {
    // Only names that read back as themselves: others would reopen as "Vessa".
    if (NormaliseControllerType(options.type) != options.type) {
        std::cerr << "new: "
                  << UnknownControllerType(options.type,
                                           [](const std::string& t) { return NormaliseControllerType(t) == t; })
                  << "\n";
        return kExitUsage;
    }
    uint32_t address = 0;
    if (!options.ip.empty() && !ParseModuleAddress(options.ip, address)) {
        std::cerr << "new: '" << options.ip << "' is no module address (A.B.C.D)\n";
        return kExitUsage;
    }
    std::error_code ec;
    if (std::filesystem::exists(options.file, ec)) {
        std::cerr << "new: '" << options.file << "' already exists; a new project does not replace it\n";
        return kExitFailed;
    }
    TerminalHost host(false);
    CMainFrame frame(host);
    frame.SetProject(NewProjectDocument(options.type));
    frame.doc().SetModuleAddress(address);
    return SaveDocumentAs(frame, options.file) ? kExitOk : kExitFailed;
}

}  // namespace

void AddNewCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<NewOptions>();
    CLI::App* sub = app.add_subcommand("new", "create a new project file");
    sub->add_option("file", options->file, "project file to create (.clp)")->required();
    sub->add_option("--type", options->type, "controller type (default Vessa)");
    sub->add_option("--ip", options->ip, "module address A.B.C.D");
    commands.push_back({sub, [options] { return RunNew(*options); }});
}

}  // namespace pontra
