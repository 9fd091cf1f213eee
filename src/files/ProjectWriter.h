// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a project in the current file format (version 5).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pontra {

class CProject;

// The bytes of the project file. Before a tag is written its members take its scope
// flag (the flag is not stored; the project in memory gets the aligned flags). Fails,
// with a message and no bytes, only for a Structured Text line longer than the format
// allows, which the editor never produces.
bool WriteProject(CProject& project, std::vector<uint8_t>& bytes, std::string& error);

}  // namespace pontra
