// SPDX-License-Identifier: GPL-3.0-or-later
// The project document: main program, program tags, controller tags and the module
// the project is written for.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "model/Ladder.h"
#include "model/Tag.h"

namespace pontra {

struct ProgramVersion {
    uint16_t major = 1;
    uint16_t minor = 0;
    uint32_t revision = 0;
    bool operator==(const ProgramVersion&) const = default;
};

class CVessaDoc {
public:
    CVessaDoc();
    CVessaDoc(const CVessaDoc&) = delete;
    CVessaDoc& operator=(const CVessaDoc&) = delete;

    std::string pathName;  // empty for an untitled project
    RungList rungs;        // "Main Routine"
    TagList tags;          // program tags
    TagList controllerTags;
    TagList workTags;  // scratch tags of a build (not saved)

    // Ladder editor position in the main program (not saved).
    int currentRung = 0;
    CElement* selected = nullptr;
    int editorExtra = -1;

    uint32_t timeStamp = 0;      // seconds since 1970; first word of the program image
    uint32_t moduleAddress = 0;  // first octet in the highest byte
    std::string moduleAddressText = "0.0.0.0";
    std::string controllerType = "Vessa";
    std::string role;  // "FB" for a function-block editor's document
    ProgramVersion loadedVersion;
    ProgramVersion version;

    bool modified = false;
    uint32_t formatVersion = 5;  // the version the file was read with

    // Sets the module address and its dotted text together.
    void SetModuleAddress(uint32_t address);
};

// "%d.%d.%d.%d" with the first number from the highest byte.
std::string FormatModuleAddress(uint32_t address);
// Parses dotted text into the same packing; false unless four parts 0-255.
bool ParseModuleAddress(const std::string& text, uint32_t& address);

}  // namespace pontra
