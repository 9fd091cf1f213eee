// SPDX-License-Identifier: GPL-3.0-or-later
// The "Project Bar": the project as a tree of items, and the component operations on it
// (add, rename, delete a function block or user type; edit the program version; open
// the window an item stands for). Online in debug mode every change is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pontra {

class CMainFrame;
class CProject;
class CUnit;

enum class TreeRole {
    Revision, Major, Minor, Build, MajorNumber, MinorNumber, BuildNumber,
    Tasks, MainTask, MainProgram, MainTags, MainRoutine,
    FunctionBlocks, FunctionBlock, FunctionBlockTags, FunctionBlockRoutine,
    StandardFunctionBlocks, StandardFunctionBlock,
    DataTypes, Predefined, PredefinedType, UserDefined, UserType, ModuleDefined, ModuleType,
    ConfigurationStructure,
};

// The picture of a routine item tells ladder diagram from Structured Text.
enum class TreePicture { None, Ladder, StructuredText };

struct TreeItem {
    std::string text;
    TreeRole role = TreeRole::Revision;
    std::string unit;  // the component (or type) the item stands for, when it does
    TreePicture picture = TreePicture::None;
    std::vector<TreeItem> children;

    bool operator==(const TreeItem&) const = default;
};

// The three top-level items "Revision", "Tasks" and "Data Types" with everything below.
// `standardFunctionBlocks` are the library's function blocks, in library order.
std::vector<TreeItem> BuildProjectTree(const CProject& project, const std::vector<std::string>& standardFunctionBlocks);

// Only the numbers under "Major" and "Minor" and the components under "Function Blocks"
// and "User-Defined" can be edited in place.
bool CanRename(TreeRole role);
// The context menu of an item: "FB Add", "FB Delete", "TYPE Add", "TYPE Delete", or empty.
std::string ContextMenu(TreeRole role);

enum class ComponentType { FunctionBlock, Function, Type };

// The "Add Component" dialog's fields.
struct AddComponentRequest {
    std::string name;
    ComponentType type = ComponentType::FunctionBlock;
    uint8_t language = 0;  // 0 Ladder Diagram, 1 Structured Text (function blocks)
};

// OK of "Add Component": the new unit, or null (an empty name or the disabled "Function"
// choice do nothing; a refused name is shown).
CUnit* AddComponent(CMainFrame& frame, const AddComponentRequest& request);

// Commit of an item's in-place editor. A renamed component takes its type-list entry,
// the data types of the tags declared with it and its windows along.
bool RenameItem(CMainFrame& frame, const TreeItem& item, const std::string& text);

// "Delete" of a function block or user type, after the person confirms. Tags declared
// with the deleted type keep their declaration (and lose their members), so that nothing
// the person wrote is lost: verification reports every place that still uses them, and
// a component of the same name brings them back.
bool DeleteComponent(CMainFrame& frame, CUnit& unit);

// Double-click: the window the item stands for is opened or activated; its key, or none.
std::optional<std::string> OpenItem(CMainFrame& frame, const TreeItem& item);

}  // namespace pontra
