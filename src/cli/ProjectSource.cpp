// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ProjectSource.h"

#include <iostream>

#include "cli/ControllerTypeHint.h"
#include "model/ControllerTypes.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

void AddProjectSourceOptions(CLI::App& sub, ProjectSource& source) {
    sub.add_option("file", source.file, "project file (.clp)");
    sub.add_flag("--new", source.fresh, "use a new untitled project instead of a file");
    sub.add_option("--type", source.type, "controller type of the new project");
}

bool OpenProjectSource(CMainFrame& frame, const ProjectSource& source, const std::string& command) {
    if (source.fresh == !source.file.empty()) {
        std::cerr << command << ": give a project file or --new\n";
        return false;
    }
    if (!source.fresh) return OpenDocument(frame, source.file);
    if (ControllerTagList(source.type).empty()) {
        std::cerr << command << ": "
                  << UnknownControllerType(source.type,
                                           [](const std::string& t) { return !ControllerTagList(t).empty(); })
                  << "\n";
        return false;
    }
    frame.SetProject(NewProjectDocument(source.type));
    return true;
}

}  // namespace pontra
