// pontra-cli dump: the project as JSON on stdout.
#include <iostream>

#include "build/ProjectLayout.h"
#include "cli/Commands.h"
#include "cli/ProjectJson.h"
#include "model/ControllerTypes.h"
#include "model/Project.h"

namespace pontra {

namespace {

struct DumpOptions {
    bool fresh = false;
    std::string type = "Vessa";
};

int RunDump(const DumpOptions& options) {
    if (!options.fresh) {
        std::cerr << "dump: give --new (reading project files comes with the file format)\n";
        return kExitUsage;
    }
    if (ControllerTagList(options.type).empty()) {
        std::cerr << "dump: unknown controller type '" << options.type << "'\n";
        return kExitUsage;
    }
    auto project = NewProject(options.type);
    ProjectLayout layout;  // addresses, bits and sizes as the build gives them
    LayOutProject(*project, layout);
    std::cout << ProjectToJson(*project).dump(2) << "\n";
    return kExitOk;
}

}  // namespace

void AddDumpCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<DumpOptions>();
    CLI::App* sub = app.add_subcommand("dump", "print a project as JSON");
    sub->add_flag("--new", options->fresh, "dump a new in-memory project instead of a file");
    sub->add_option("--type", options->type, "controller type of the new project");
    commands.push_back({sub, [options] { return RunDump(*options); }});
}

}  // namespace pontra
