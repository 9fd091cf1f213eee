// SPDX-License-Identifier: GPL-3.0-or-later
// Where a pontra-cli command takes its project from: a project file, opened as the
// Open command opens it, or with --new a new untitled project of a controller type.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace pontra {

class CMainFrame;

struct ProjectSource {
    std::string file;
    bool fresh = false;
    std::string type = "Vessa";
};

// Adds FILE.clp (positional), --new and --type to a subcommand.
void AddProjectSourceOptions(CLI::App& sub, ProjectSource& source);

// Makes the project the frame's; false (with the reason on stderr or from the host)
// when there is none to take.
bool OpenProjectSource(CMainFrame& frame, const ProjectSource& source, const std::string& command);

}  // namespace pontra
