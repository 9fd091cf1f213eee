// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ProjectTree.h"

#include <charconv>

#include "model/Naming.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"
#include "shell/TagRules.h"

namespace pontra {

namespace {

// The type the module itself defines for its zones; every other predefined type is the
// language's or the instruction set's.
constexpr const char* kModuleDefinedType = "Zone";

TreeItem Item(std::string text, TreeRole role, std::string unit = {}) {
    TreeItem item;
    item.text = std::move(text);
    item.role = role;
    item.unit = std::move(unit);
    return item;
}

TreeItem Number(std::string label, TreeRole role, TreeRole numberRole, uint32_t value) {
    TreeItem item = Item(std::move(label), role);
    item.children.push_back(Item(std::to_string(value), numberRole));
    return item;
}

bool IsConfigurationUnit(const CProject& project, const CUnit& unit) {
    return project.configEnabled && unit.IsType() && unit.name == project.configTypeName;
}

std::string NameRefusal(const CProject& project, const std::string& name) {
    // A type-list entry of the same name would hide the component's type.
    if (project.FindUnit(name) || project.FindType(name)) return "Component with name " + name + " already exist!";
    return CheckComponentName(project, name);
}

std::vector<std::string> WindowKeys(const CUnit& unit) {
    if (unit.IsFunctionBlock()) return {"fb:" + unit.name + ":routine", "fb:" + unit.name + ":tags"};
    return {"type:" + unit.name};
}

bool RenameType(std::string& type, const std::string& oldName, const std::string& newName) {
    if (type == oldName) {
        type = newName;
        return true;
    }
    if (type.starts_with(oldName + "[")) {
        type.replace(0, oldName.size(), newName);
        return true;
    }
    return false;
}

void RenameTypeInTags(TagList& tags, const std::string& oldName, const std::string& newName) {
    for (auto& tag : tags) {
        RenameType(tag->dataType, oldName, newName);
        RenameTypeInTags(tag->members, oldName, newName);
    }
}

// The unit, its type-list entry and every declaration of that type take the new name.
void RenameComponent(CProject& project, CUnit& unit, const std::string& newName) {
    const std::string oldName = unit.name;
    unit.name = newName;
    for (auto& type : project.types) {
        if (type->name == oldName) type->name = newName;
        RenameTypeInTags(type->members, oldName, newName);
    }
    RenameTypeInTags(project.doc.tags, oldName, newName);
    for (auto& u : project.units) RenameTypeInTags(u->tags, oldName, newName);
}

bool ParseVersionNumber(const std::string& text, uint16_t& value) {
    unsigned parsed = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || parsed > 0xFFFF) return false;
    value = static_cast<uint16_t>(parsed);
    return true;
}

void ProjectChanged(CMainFrame& frame) {
    frame.SetModified(true);
    frame.host().Repaint();
}

}  // namespace

std::vector<TreeItem> BuildProjectTree(const CProject& project, const std::vector<std::string>& standardFunctionBlocks) {
    const ProgramVersion& version = project.doc.version;
    TreeItem revision = Item("Revision", TreeRole::Revision);
    revision.children.push_back(Number("Major", TreeRole::Major, TreeRole::MajorNumber, version.major));
    revision.children.push_back(Number("Minor", TreeRole::Minor, TreeRole::MinorNumber, version.minor));
    revision.children.push_back(Number("Build", TreeRole::Build, TreeRole::BuildNumber, version.revision));

    TreeItem mainProgram = Item("Main Program", TreeRole::MainProgram);
    mainProgram.children.push_back(Item("Tags", TreeRole::MainTags));
    mainProgram.children.push_back(Item("Main Routine", TreeRole::MainRoutine));
    TreeItem mainTask = Item("Main Task", TreeRole::MainTask);
    mainTask.children.push_back(std::move(mainProgram));

    TreeItem blocks = Item("Function Blocks", TreeRole::FunctionBlocks);
    TreeItem userTypes = Item("User-Defined", TreeRole::UserDefined);
    for (const auto& unit : project.units) {
        if (unit->IsFunctionBlock()) {
            TreeItem block = Item(unit->name, TreeRole::FunctionBlock, unit->name);
            block.children.push_back(Item(unit->name + " Tags", TreeRole::FunctionBlockTags, unit->name));
            TreeItem routine = Item(unit->name + " Routine", TreeRole::FunctionBlockRoutine, unit->name);
            routine.picture = unit->IsStructuredText() ? TreePicture::StructuredText : TreePicture::Ladder;
            block.children.push_back(std::move(routine));
            blocks.children.push_back(std::move(block));
        } else if (unit->IsType() && !IsConfigurationUnit(project, *unit)) {
            userTypes.children.push_back(Item(unit->name, TreeRole::UserType, unit->name));
        }
    }
    TreeItem standard = Item("Standard Function Blocks", TreeRole::StandardFunctionBlocks);
    for (const std::string& name : standardFunctionBlocks)
        standard.children.push_back(Item(name, TreeRole::StandardFunctionBlock, name));

    TreeItem tasks = Item("Tasks", TreeRole::Tasks);
    tasks.children.push_back(std::move(mainTask));
    tasks.children.push_back(std::move(blocks));
    tasks.children.push_back(std::move(standard));

    TreeItem predefined = Item("Predefined", TreeRole::Predefined);
    TreeItem moduleDefined = Item("Module-Defined", TreeRole::ModuleDefined);
    for (const auto& type : project.types) {
        if (!IsPredefinedType(type->name)) continue;
        if (type->name == kModuleDefinedType) moduleDefined.children.push_back(Item(type->name, TreeRole::ModuleType, type->name));
        else predefined.children.push_back(Item(type->name, TreeRole::PredefinedType, type->name));
    }
    TreeItem dataTypes = Item("Data Types", TreeRole::DataTypes);
    dataTypes.children.push_back(std::move(predefined));
    dataTypes.children.push_back(std::move(userTypes));
    dataTypes.children.push_back(std::move(moduleDefined));
    if (project.configEnabled)
        dataTypes.children.push_back(
            Item("Configuration Screen Structure", TreeRole::ConfigurationStructure, project.configTypeName));

    std::vector<TreeItem> tree;
    tree.push_back(std::move(revision));
    tree.push_back(std::move(tasks));
    tree.push_back(std::move(dataTypes));
    return tree;
}

bool CanRename(TreeRole role) {
    return role == TreeRole::MajorNumber || role == TreeRole::MinorNumber || role == TreeRole::FunctionBlock ||
           role == TreeRole::UserType;
}

std::string ContextMenu(TreeRole role) {
    switch (role) {
        case TreeRole::FunctionBlocks: return "FB Add";
        case TreeRole::FunctionBlock: return "FB Delete";
        case TreeRole::UserDefined: return "TYPE Add";
        case TreeRole::UserType: return "TYPE Delete";
        default: return {};
    }
}

CUnit* AddComponent(CMainFrame& frame, const AddComponentRequest& request) {
    if (request.name.empty() || request.type == ComponentType::Function) return nullptr;
    if (!PassesDebugGuard(frame, Command::AddComponent)) return nullptr;
    CProject& project = frame.project();
    if (std::string refusal = NameRefusal(project, request.name); !refusal.empty()) {
        frame.host().Message(refusal);
        return nullptr;
    }
    const bool block = request.type == ComponentType::FunctionBlock;
    auto unit = std::make_unique<CUnit>(request.name, block ? kUnitFunctionBlock : kUnitType,
                                        block && request.language == kLanguageST ? kLanguageST : kLanguageLadder);
    if (block && unit->language == kLanguageLadder) unit->rungs.push_back(NewRung());
    CUnit* added = unit.get();
    project.units.push_back(std::move(unit));
    project.types.push_back(std::make_unique<CType>(request.name));
    ProjectChanged(frame);
    if (block) {
        frame.host().OpenWindow("fb:" + request.name + ":routine");
        frame.host().OpenWindow("fb:" + request.name + ":tags");
    }
    return added;
}

bool RenameItem(CMainFrame& frame, const TreeItem& item, const std::string& text) {
    if (!CanRename(item.role)) return false;
    CProject& project = frame.project();
    if (item.role == TreeRole::MajorNumber || item.role == TreeRole::MinorNumber) {
        uint16_t number = 0;
        if (!ParseVersionNumber(text, number)) return false;
        uint16_t& field = item.role == TreeRole::MajorNumber ? project.doc.version.major : project.doc.version.minor;
        if (field == number || !PassesDebugGuard(frame, EditAction::ProjectTreeEdit)) return false;
        field = number;
        ProjectChanged(frame);
        return true;
    }
    CUnit* unit = project.FindUnit(item.unit);
    if (!unit || IsConfigurationUnit(project, *unit) || text == unit->name) return false;
    if (!PassesDebugGuard(frame, EditAction::ProjectTreeEdit)) return false;
    if (std::string refusal = NameRefusal(project, text); !refusal.empty()) {
        frame.host().Message(refusal);
        return false;
    }
    const std::vector<std::string> oldKeys = WindowKeys(*unit);
    RenameComponent(project, *unit, text);
    const std::vector<std::string> newKeys = WindowKeys(*unit);
    for (size_t i = 0; i < oldKeys.size(); ++i) frame.host().RenameWindow(oldKeys[i], newKeys[i]);
    ProjectChanged(frame);
    return true;
}

bool DeleteComponent(CMainFrame& frame, CUnit& unit) {
    CProject& project = frame.project();
    if (IsConfigurationUnit(project, unit)) return false;
    if (!PassesDebugGuard(frame, Command::DeleteComponent)) return false;
    const std::string question = unit.IsFunctionBlock() ? "Do you really want to delete function block '"
                                                        : "Do you really want to delete type '";
    if (!frame.host().AskOkCancel(question + unit.name + "'?")) return false;
    const std::string name = unit.name;
    std::erase_if(project.types, [&](const std::unique_ptr<CType>& t) { return t->name == name; });
    for (const std::string& key : WindowKeys(unit)) frame.host().CloseWindow(key);
    std::erase_if(project.units, [&](const std::unique_ptr<CUnit>& u) { return u.get() == &unit; });
    RefreshInstances(project, name);
    ProjectChanged(frame);
    return true;
}

std::optional<std::string> OpenItem(CMainFrame& frame, const TreeItem& item) {
    std::string key;
    switch (item.role) {
        case TreeRole::MainRoutine: key = "main"; break;
        case TreeRole::MainTags: key = "tags"; break;
        case TreeRole::ConfigurationStructure: key = "type:" + frame.project().configTypeName; break;
        case TreeRole::FunctionBlockTags: key = "fb:" + item.unit + ":tags"; break;
        case TreeRole::FunctionBlockRoutine: key = "fb:" + item.unit + ":routine"; break;
        case TreeRole::UserType: key = "type:" + item.unit; break;
        default: return std::nullopt;
    }
    frame.host().OpenWindow(key);
    return key;
}

}  // namespace pontra
