// SPDX-License-Identifier: GPL-3.0-or-later
// Verification of a whole project before any image is built: names and comments, every
// operand of every ladder element, registers, arrays, scope rules between function
// blocks and their callers, used tags, and the instance self-check. Every finding is a
// line of the output window; the project passes when no line begins with "Error".
#pragma once

#include <string>
#include <vector>

namespace pontra {

class CMainFrame;
class CProject;

// Clears the output window, checks everything and writes the summary line. Also marks
// used tags and creates the scratch tags that indexed array access needs.
bool VerifyProject(CMainFrame& frame);

// The function-block instance self-check on the main program's tags: every instance of
// a function block or user type must mirror its declarations member by member. Starts
// `log` afresh with "VerifyProgram\r\n", appends one line per tag checked and ends it
// with the outcome line; true when everything matched.
bool CheckTagsPlaces(const CProject& project, std::vector<std::string>& log);

// Runs the self-check into the frame's verification log. On failure writes the log to
// "LogTags.txt" in the temporary folder and asks the user, in a "Critical Error!!!"
// message, to send it and the project file to the support address (setting
// kSupportAddressSetting). Returns the check's outcome.
bool InstanceSelfCheck(CMainFrame& frame);

constexpr const char* kSupportAddressSetting = "SupportAddress";
constexpr const char* kDefaultSupportAddress = "support@pontra.example";

}  // namespace pontra
