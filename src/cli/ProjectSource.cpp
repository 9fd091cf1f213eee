#include "cli/ProjectSource.h"

#include <iostream>

#include "model/ControllerTypes.h"
#include "model/Project.h"

namespace pontra {

void AddProjectSourceOptions(CLI::App& sub, ProjectSource& source) {
    sub.add_option("file", source.file, "project file (.clp)");
    sub.add_flag("--new", source.fresh, "use a new in-memory project instead of a file");
    sub.add_option("--type", source.type, "controller type of the new project");
}

std::unique_ptr<CProject> OpenProjectSource(const ProjectSource& source, const std::string& command) {
    if (!source.fresh) {
        std::cerr << command << ": give --new (reading project files comes with the file format)\n";
        return nullptr;
    }
    if (ControllerTagList(source.type).empty()) {
        std::cerr << command << ": unknown controller type '" << source.type << "'\n";
        return nullptr;
    }
    return NewProject(source.type);
}

}  // namespace pontra
