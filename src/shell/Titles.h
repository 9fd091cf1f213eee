// SPDX-License-Identifier: GPL-3.0-or-later
// Window titles of the project's windows, keyed by window: "main", "tags",
// "fb:NAME:routine", "fb:NAME:tags", "type:NAME", and "fbdoc:NAME" for the document of a
// function block's editor (role "FB", titled with the unit name).
#pragma once

#include <map>
#include <string>

namespace pontra {

class CProject;

struct TitleState {
    bool online = false;       // debug mode
    std::string statusSuffix;  // appended after " - Debug" while online
};

std::map<std::string, std::string> WindowTitles(const CProject& project, const TitleState& state);

// Title of a function-block editor document (role "FB"): its title, then the module address.
std::string FunctionBlockDocumentTitle(const std::string& title, const CProject& project);

}  // namespace pontra
