// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a project file of format version 1 to 5 into a new project. Nothing is handed
// over unless the whole file was read: a damaged file gives an error and no project.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace pontra {

class CProject;

struct ProjectReadResult {
    std::unique_ptr<CProject> project;  // null when the file could not be read
    std::string error;                  // why not, for the user
    bool oldServoNames = false;         // a controller tag was stored under an old servo name
};

// Reads a project from the bytes of a file. The document's format version records the
// version read; its path is left empty for the caller to set.
ProjectReadResult ReadProject(std::span<const uint8_t> bytes);

// Reads a whole file into memory; false with a message when it cannot be read or is
// far too large to be a project.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Reads a project file (ReadFileBytes, then ReadProject) and sets the document's path.
ProjectReadResult ReadProjectFile(const std::string& path, std::vector<uint8_t>* bytesRead = nullptr);

// Gives a project whose configuration screen structure is enabled its (empty)
// configuration type unit and type entry, unless it has that unit already. Every
// project read from a file has it; new projects get it too, so that a project and the
// same project saved and reopened are alike.
void EnsureConfigurationUnit(CProject& project);

// The controller type a file's type name stands for: the name itself when the reader
// knows it, else "Vessa".
std::string NormaliseControllerType(const std::string& name);

}  // namespace pontra
