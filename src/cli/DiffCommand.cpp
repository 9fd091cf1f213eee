// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli diff: the difference between two project files, component by component,
// as a unified diff. Exit 0 when they are the same, 1 when they differ, 2 when a file
// cannot be read.
#include <iostream>

#include "cli/Commands.h"
#include "files/ProjectDiff.h"
#include "files/ProjectReader.h"
#include "model/Project.h"
#include "model/TextEncoding.h"

namespace pontra {

namespace {

struct DiffOptions {
    std::string a;
    std::string b;
};

int RunDiff(const DiffOptions& options) {
    // Read as stored: no repairs or questions of the Open command.
    ProjectReadResult a = ReadProjectFile(options.a);
    if (!a.project) {
        std::cerr << "diff: cannot read " << options.a << ": " << a.error << "\n";
        return kExitUsage;
    }
    ProjectReadResult b = ReadProjectFile(options.b);
    if (!b.project) {
        std::cerr << "diff: cannot read " << options.b << ": " << b.error << "\n";
        return kExitUsage;
    }
    const std::string diff = ProjectDiff(*a.project, *b.project, options.a, options.b);
    // Model text is Windows-1252; terminals and git read UTF-8.
    std::cout << Cp1252ToUtf8(diff) << std::flush;
    return diff.empty() ? kExitOk : kExitFailed;
}

}  // namespace

void AddDiffCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* sub = app.add_subcommand("diff", "the differences between two projects, component by component");
    sub->add_option("a", options->a, "first project file (.clp)")->required();
    sub->add_option("b", options->b, "second project file (.clp)")->required();
    commands.push_back({sub, [options] { return RunDiff(*options); }});
}

}  // namespace pontra
