// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli dump: the project as JSON on stdout.
#include <iostream>

#include "build/ProjectLayout.h"
#include "cli/Commands.h"
#include "cli/ControllerTypeHint.h"
#include "files/ProjectJson.h"
#include "files/ProjectReader.h"
#include "model/ControllerTypes.h"
#include "model/Project.h"

namespace pontra {

namespace {

struct DumpOptions {
    std::string file;
    bool fresh = false;
    std::string type = "Vessa";
};

int RunDump(const DumpOptions& options) {
    std::unique_ptr<CProject> project;
    if (options.fresh) {
        if (!options.file.empty()) {
            std::cerr << "dump: give either a file or --new\n";
            return kExitUsage;
        }
        if (ControllerTagList(options.type).empty()) {
            std::cerr << "dump: "
                      << UnknownControllerType(options.type,
                                               [](const std::string& t) { return !ControllerTagList(t).empty(); })
                      << "\n";
            return kExitUsage;
        }
        project = NewProject(options.type);
    } else {
        if (options.file.empty()) {
            std::cerr << "dump: give a project file or --new\n";
            return kExitUsage;
        }
        // The model exactly as read: the questions of opening are not asked.
        ProjectReadResult result = ReadProjectFile(options.file);
        if (!result.project) {
            std::cerr << "dump: cannot read '" << options.file << "': " << result.error << "\n";
            return kExitUsage;
        }
        project = std::move(result.project);
    }
    ProjectLayout layout;  // addresses, bits and sizes as the build gives them
    LayOutProject(*project, layout);
    std::cout << ProjectToJson(*project).dump(2) << "\n";
    return kExitOk;
}

}  // namespace

void AddDumpCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<DumpOptions>();
    CLI::App* sub = app.add_subcommand("dump", "print a project as JSON");
    sub->add_option("file", options->file, "project file (.clp) of any format version");
    sub->add_flag("--new", options->fresh, "dump a new in-memory project instead of a file");
    sub->add_option("--type", options->type, "controller type of the new project");
    commands.push_back({sub, [options] { return RunDump(*options); }});
}

}  // namespace pontra
