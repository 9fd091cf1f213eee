// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli textconv: a project as plain text, component by component, on stdout: the
// text conversion git uses to show .clp files in git diff and git log -p
// (.gitattributes: "*.clp diff=pontra"; git config diff.pontra.textconv "pontra-cli textconv").
#include <iostream>

#include "cli/Commands.h"
#include "files/ProjectReader.h"
#include "files/ProjectText.h"
#include "model/Project.h"
#include "model/TextEncoding.h"

namespace pontra {

namespace {

int RunTextconv(const std::string& file) {
    ProjectReadResult read = ReadProjectFile(file);
    if (!read.project) {
        std::cerr << "textconv: cannot read " << file << ": " << read.error << "\n";
        return kExitUsage;
    }
    // Model text is Windows-1252; git shows UTF-8.
    std::cout << Cp1252ToUtf8(ProjectText(*read.project)) << std::flush;
    return kExitOk;
}

}  // namespace

void AddTextconvCommand(CLI::App& app, CommandList& commands) {
    auto file = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("textconv", "a project as text, component by component (for git diff)");
    sub->add_option("file", *file, "project file (.clp)")->required();
    commands.push_back({sub, [file] { return RunTextconv(*file); }});
}

}  // namespace pontra
