// SPDX-License-Identifier: GPL-3.0-or-later
// The checks an opened project goes through after a successful read and before it is
// handed over: the forbidden-symbol question and repair, then the question whether to
// update a project of an older version (renames and an "_OldVersion.clp" copy).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pontra {

class CProject;
class Host;

struct PostLoadInput {
    std::span<const uint8_t> fileBytes;  // the file as it was read, for the backup copy
    bool oldServoNames = false;          // the reader matched a controller tag by an old servo name
};

// Asks and repairs through the host; a repair marks the project modified. Neither
// answer stops the open.
void RunPostLoadChecks(Host& host, CProject& project, const PostLoadInput& input);

// True when some tag name, tag description or rung comment breaks the naming rules
// (predefined controller tag names, fixed by the controller type, are not checked).
bool HasForbiddenSymbols(CProject& project);
// The repair offered by the first question.
void RepairForbiddenSymbols(CProject& project);

// The update question as composed for this project and path.
std::string UpdateQuestion(CProject& project, bool oldServoNames);

// "P.clp" -> "P_OldVersion.clp", in the same folder.
std::string OldVersionBackupPath(const std::string& projectPath);

}  // namespace pontra
