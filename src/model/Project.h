// SPDX-License-Identifier: GPL-3.0-or-later
// One open project: the document plus the project-wide unit and type lists and the
// flags saved or derived with them. The main frame holds one; tests create as many as
// they like.
#pragma once

#include <memory>
#include <string>

#include "model/Tag.h"
#include "model/Unit.h"
#include "model/VessaDoc.h"

namespace pontra {

class CProject {
public:
    CProject();
    CProject(const CProject&) = delete;
    CProject& operator=(const CProject&) = delete;

    CVessaDoc doc;
    UnitList units;
    TypeList types;

    int configEnabled = 1;                     // a user type may be the configuration screen structure
    std::string configTypeName = "Configuration";
    int projectUpdated = 0;                    // set when loading renamed or repaired something

    CType* FindType(std::string_view name) const;
    CUnit* FindUnit(std::string_view name) const;
    CTag* FindControllerTag(std::string_view name) const;
    // The unit whose rungs include `rung` (top level), or null for the main program.
    CUnit* UnitOfRung(const CRung* rung) const;
};

// A new project of the given controller type: predefined types, the controller tags of
// the type and one empty main rung.
std::unique_ptr<CProject> NewProject(const std::string& controllerType = "Vessa");

}  // namespace pontra
