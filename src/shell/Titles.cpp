// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Titles.h"

#include <filesystem>

#include "model/Project.h"

namespace pontra {

std::map<std::string, std::string> WindowTitles(const CProject& project, const TitleState& state) {
    const CVessaDoc& doc = project.doc;
    const std::string file =
        doc.pathName.empty() ? "Untitled" : std::filesystem::path(doc.pathName).filename().string();
    const std::string mark = doc.modified ? "*" : "";
    std::string online;
    if (state.online) online = " - Debug" + state.statusSuffix;

    std::map<std::string, std::string> titles;
    titles["main"] = file + mark + " - Main Routine (" + doc.moduleAddressText + ")" + online;
    titles["tags"] = file + mark + " - Tags (" + doc.moduleAddressText + ")" + online;
    for (const auto& unit : project.units) {
        if (unit->IsFunctionBlock()) {
            titles["fb:" + unit->name + ":routine"] = "Function Block - " + unit->name + mark + " - Routine" + online;
            titles["fb:" + unit->name + ":tags"] = "Function Block - " + unit->name + mark + " - Tags" + online;
            titles["fbdoc:" + unit->name] = FunctionBlockDocumentTitle(unit->name, project);
        } else {
            titles["type:" + unit->name] = unit->name + mark + online;
        }
    }
    return titles;
}

std::string FunctionBlockDocumentTitle(const std::string& title, const CProject& project) {
    return title + " (" + project.doc.moduleAddressText + ")";
}

}  // namespace pontra
