// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli set: the controller properties of a project (module address and type),
// then save.
#include <iostream>

#include "cli/Commands.h"
#include "cli/ControllerTypeHint.h"
#include "cli/TerminalHost.h"
#include "files/ProjectReader.h"
#include "model/Project.h"
#include "shell/ControllerProperties.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct SetOptions {
    std::string file;
    std::string type;
    std::string ip;
    bool yes = false;
};

int RunSet(const SetOptions& options) {
    if (!options.type.empty() && NormaliseControllerType(options.type) != options.type) {
        std::cerr << "set: "
                  << UnknownControllerType(options.type,
                                           [](const std::string& t) { return NormaliseControllerType(t) == t; })
                  << "\n";
        return kExitUsage;
    }
    uint32_t address = 0;
    if (!options.ip.empty() && !ParseModuleAddress(options.ip, address)) {
        std::cerr << "set: '" << options.ip << "' is no module address (A.B.C.D)\n";
        return kExitUsage;
    }
    TerminalHost host(options.yes);
    CMainFrame frame(host);
    if (!OpenDocument(frame, options.file)) return kExitUsage;

    CVessaDoc& doc = frame.doc();
    const std::string type = options.type.empty() ? doc.controllerType : options.type;
    host.pendingProperties = ControllerPropertiesChoice{options.ip.empty() ? doc.moduleAddress : address, type};
    ChangeControllerProperties(frame);
    if (doc.controllerType != type) return kExitFailed;  // the type change was cancelled
    // Save is offered only for a modified project; opening may have repaired it too.
    if (doc.modified && !SaveDocument(frame)) return kExitFailed;
    return kExitOk;
}

}  // namespace

void AddSetCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* sub = app.add_subcommand("set", "change the controller properties of a project, then save it");
    sub->add_option("file", options->file, "project file (.clp)")->required();
    sub->add_option("--type", options->type, "controller type");
    sub->add_option("--ip", options->ip, "module address A.B.C.D");
    sub->add_flag("--yes", options->yes, "answer OK/Yes to every question");
    commands.push_back({sub, [options] { return RunSet(*options); }});
}

}  // namespace pontra
