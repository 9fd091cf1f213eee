// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Project.h"

#include "model/ControllerTypes.h"
#include "model/Types.h"

namespace pontra {

CProject::CProject() = default;

CType* CProject::FindType(std::string_view name) const {
    for (const auto& t : types)
        if (t->name == name) return t.get();
    return nullptr;
}

CUnit* CProject::FindUnit(std::string_view name) const {
    for (const auto& u : units)
        if (u->name == name) return u.get();
    return nullptr;
}

CTag* CProject::FindControllerTag(std::string_view name) const { return FindTag(doc.controllerTags, name); }

CUnit* CProject::UnitOfRung(const CRung* rung) const {
    for (const auto& u : units)
        for (const auto& r : u->rungs)
            if (r.get() == rung) return u.get();
    return nullptr;
}

std::unique_ptr<CProject> NewProject(const std::string& controllerType) {
    auto project = std::make_unique<CProject>();
    AddPredefinedTypes(project->types);
    project->doc.controllerType = controllerType;
    BuildControllerTags(*project);
    project->doc.rungs.push_back(NewRung());
    return project;
}

}  // namespace pontra
