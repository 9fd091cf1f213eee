// SPDX-License-Identifier: GPL-3.0-or-later
// The rules every edit of a tag list obeys: new tags, the in-place edits of a declared
// tag (name, data type, description, control type), deleting and the non-volatile
// toggle. A tag list edits the program tags (shown with the controller tags), a function
// block's tags, or a user type's member declarations.
//
// Each operation returns whether it changed the project; a refusal shows its message
// and leaves everything as it was. Online in debug mode every change is refused. After
// a change of a function block's tags or a type's members, every tag of that type
// (anywhere in the project) gets its members rebuilt, keeping the initial values and
// styles its members had.
#pragma once

#include <string>
#include <string_view>

#include "model/Tag.h"

namespace pontra {

class CMainFrame;
class CProject;
class CUnit;

struct TagListSubject {
    enum class Kind { MainProgram, FunctionBlock, UserType };
    Kind kind = Kind::MainProgram;
    CUnit* unit = nullptr;  // the function block or user type

    static TagListSubject Main() { return {}; }
    // A function block's tags or a user type's members, by the unit's kind.
    static TagListSubject Of(CUnit& unit);
};

// The declarations the list edits; null for a user type without a type-list entry.
TagList* EditedTags(CProject& project, const TagListSubject& subject);
// `tag` is one of the list's own declarations (not a controller tag, not a member row).
bool IsDeclaredIn(CProject& project, const TagListSubject& subject, const CTag& tag);
// The list holds the members of the configuration screen structure.
bool IsConfigurationList(const CProject& project, const TagListSubject& subject);

// The new-tag dialog's fields.
struct NewTagRequest {
    std::string name{};
    std::string dataType{};  // with array dimensions: DINT[10], DINT[3,4]
    std::string description{};
    std::string style = "Decimal";
    bool nonVolatile = false;
    int usage = kUsageNone;  // function blocks: Input, Output or InOut; none chosen gives Static
    std::string alias{};     // optional: an existing tag this one stands for
};

// OK of the new-tag dialog: the new tag, or null after a refusal (the dialog stays open).
CTag* CreateTag(CMainFrame& frame, const TagListSubject& subject, const NewTagRequest& request);

// In-place edits of a declared tag.
bool EditTagName(CMainFrame& frame, const TagListSubject& subject, CTag& tag, const std::string& name);
bool EditTagDataType(CMainFrame& frame, const TagListSubject& subject, CTag& tag, const std::string& type);
bool EditTagDescription(CMainFrame& frame, const TagListSubject& subject, CTag& tag, const std::string& description);
// Control type of a configuration member (index = configuration mode); a changed control
// type starts without choices.
bool EditControlType(CMainFrame& frame, const TagListSubject& subject, CTag& tag, int mode);

// The tag list's commands: both act only on declared tags.
bool DeleteTag(CMainFrame& frame, const TagListSubject& subject, CTag& tag);
bool ToggleNonVolatile(CMainFrame& frame, const TagListSubject& subject, CTag& tag);

// "", "Check", "Number", "Selection" for configuration modes 0-3.
std::string_view ControlTypeName(int mode);

// Rebuilds the members of every tag whose type is `typeName` or contains it, keeping the
// initial values and styles of the members that still exist (same name and type).
void RefreshInstances(CProject& project, std::string_view typeName);

}  // namespace pontra
