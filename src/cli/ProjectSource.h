// Where a pontra-cli command takes its project from: a project file, or with --new a new
// in-memory project of a controller type.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

namespace pontra {

class CProject;

struct ProjectSource {
    std::string file;
    bool fresh = false;
    std::string type = "Vessa";
};

// Adds FILE.clp (optional positional), --new and --type to a subcommand.
void AddProjectSourceOptions(CLI::App& sub, ProjectSource& source);

// The project, or null with the reason printed to stderr (`command` names the command).
std::unique_ptr<CProject> OpenProjectSource(const ProjectSource& source, const std::string& command);

}  // namespace pontra
