// SPDX-License-Identifier: GPL-3.0-or-later
// A whole project as plain text, component by component, for reviews and version
// control: the controller properties, the controller tags, the main program's tags and
// rungs, each function block (tags, then rungs in the rung text form or the Structured
// Text body) and each user-defined type. A tag is one line: its declaration as the
// component export writes it, followed by the fields the export leaves out (display
// style, non-volatile, connection, configuration) when they are set.
#pragma once

#include <string>
#include <vector>

namespace pontra {

class CProject;
class CTag;

struct ProjectComponent {
    std::string title;  // "Controller properties", "Main program", "FUNCTION_BLOCK Ramp", ...
    std::vector<std::string> lines;
};

// The components in a fixed order; a component of the same title in two projects is the
// same component.
std::vector<ProjectComponent> ProjectComponents(const CProject& project);

// Every component as "=== TITLE" followed by its lines, each line ending with "\n".
std::string ProjectText(const CProject& project);

// One tag as a line (no line end).
std::string TagLine(const CProject& project, const CTag& tag);

}  // namespace pontra
