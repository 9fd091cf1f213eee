// SPDX-License-Identifier: GPL-3.0-or-later
// The program build: from a verified project to the image file a module runs (header,
// code of every unit, tag memory, configuration block, name trailer). The file layout
// and the instruction encoding are described in ImageFormat.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CMainFrame;
class CVessaDoc;

// Verifies, lays out the tag memory, generates the code and, unless `headerOnly`, writes
// "PLCDATA_" + title beside the project and returns its full path in `imagePath`. With
// `headerOnly` everything up to the header is computed and checked but nothing is
// written. False on any error, which has then been reported (message or output line).
bool BuildProgramImage(CMainFrame& frame, std::string& imagePath, bool headerOnly);

// The same build, with the image's bytes (exactly those the file would hold) returned
// instead of written: for running the program in process without touching the folder.
bool BuildProgramImageBytes(CMainFrame& frame, std::vector<uint8_t>& bytes);

// "PLCDATA_" + the project file's name with ".clp" replaced by ".bin".
std::string ImageFileName(const CVessaDoc& doc);

// The controller family written into the header for a controller type.
std::string ControllerFamilyName(std::string_view controllerType);

}  // namespace pontra
