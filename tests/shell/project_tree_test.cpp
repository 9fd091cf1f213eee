// SPDX-License-Identifier: GPL-3.0-or-later
// The project tree: its items, adding, renaming and deleting components with their
// messages and windows, the tags of a renamed or deleted type, and the program version.
#include <gtest/gtest.h>

#include "files/ProjectReader.h"
#include "model/Project.h"
#include "host/ScriptedHost.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"
#include "shell/ProjectTree.h"
#include "shell/TagRules.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

const std::vector<std::string> kStandardBlocks{"IEC_TON", "IEC_CTU"};

std::string Outline(const TreeItem& item, int depth = 0) {
    std::string out = std::string(static_cast<size_t>(depth) * 2, ' ') + item.text;
    if (item.picture == TreePicture::StructuredText) out += " (ST)";
    out += "\n";
    for (const TreeItem& child : item.children) out += Outline(child, depth + 1);
    return out;
}

class ProjectTreeTest : public ::testing::Test {
protected:
    ProjectTreeTest() { frame.SetProject(NewProjectDocument()); }

    const TreeItem* Item(TreeRole role, const std::string& unit = {}) {
        tree = BuildProjectTree(frame.project(), kStandardBlocks);
        std::vector<const TreeItem*> stack;
        for (const TreeItem& top : tree) stack.push_back(&top);
        while (!stack.empty()) {
            const TreeItem* item = stack.back();
            stack.pop_back();
            if (item->role == role && (unit.empty() || item->unit == unit)) return item;
            for (const TreeItem& child : item->children) stack.push_back(&child);
        }
        return nullptr;
    }

    ScriptedHost host;
    CMainFrame frame{host};
    std::vector<TreeItem> tree;
};

TEST_F(ProjectTreeTest, TreeShowsVersionTasksAndTypes) {
    ASSERT_TRUE(AddComponent(frame, {"Conveyor", ComponentType::FunctionBlock, 1}));
    ASSERT_TRUE(AddComponent(frame, {"Pallet", ComponentType::Type}));
    frame.doc().version = {2, 7, 41};
    std::string outline;
    for (const TreeItem& item : BuildProjectTree(frame.project(), kStandardBlocks)) outline += Outline(item);
    EXPECT_EQ(outline,
              "Revision\n  Major\n    2\n  Minor\n    7\n  Build\n    41\n"
              "Tasks\n  Main Task\n    Main Program\n      Tags\n      Main Routine\n"
              "  Function Blocks\n    Conveyor\n      Conveyor Tags\n      Conveyor Routine (ST)\n"
              "  Standard Function Blocks\n    IEC_TON\n    IEC_CTU\n"
              "Data Types\n  Predefined\n    BOOL\n    SINT\n    INT\n    DINT\n    TIMER\n    COUNTER\n"
              "    IEC_TON\n    IEC_TOF\n    IEC_RTO\n    IEC_DOL\n    IEC_DOR\n    IEC_CTU\n    IEC_CTD\n"
              "  User-Defined\n    Pallet\n  Module-Defined\n    Zone\n  Configuration Screen Structure\n");
    EXPECT_EQ(ContextMenu(TreeRole::FunctionBlocks), "FB Add");
    EXPECT_EQ(ContextMenu(TreeRole::UserType), "TYPE Delete");
    EXPECT_FALSE(CanRename(TreeRole::BuildNumber));
    EXPECT_EQ(OpenItem(frame, *Item(TreeRole::FunctionBlockTags, "Conveyor")), "fb:Conveyor:tags");
    EXPECT_EQ(OpenItem(frame, *Item(TreeRole::ConfigurationStructure)), "type:Configuration");
    EXPECT_EQ(OpenItem(frame, *Item(TreeRole::Predefined)), std::nullopt);
}

TEST_F(ProjectTreeTest, AddComponentChecksTheName) {
    frame.SetModified(false);
    EXPECT_EQ(AddComponent(frame, {"1abc"}), nullptr);
    CUnit* block = AddComponent(frame, {"Conveyor"});
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(AddComponent(frame, {"Conveyor", ComponentType::Type}), nullptr);
    EXPECT_EQ(AddComponent(frame, {"TIMER"}), nullptr);  // would hide the predefined type
    EXPECT_EQ(AddComponent(frame, {""}), nullptr);
    EXPECT_EQ(AddComponent(frame, {"Calc", ComponentType::Function}), nullptr);
    EXPECT_EQ(host.Messages(),
              (std::vector<std::string>{
                  "Component name can use only digits, alphabetical  and '_' symbols and can't start with digit!",
                  "Component with name Conveyor already exist!", "Component with name TIMER already exist!"}));
    EXPECT_EQ(block->rungs.size(), 1u);
    EXPECT_NE(frame.project().FindType("Conveyor"), nullptr);
    EXPECT_EQ(host.windows, (std::vector<std::string>{"open: fb:Conveyor:routine", "open: fb:Conveyor:tags"}));
    EXPECT_EQ(host.titles["fb:Conveyor:routine"], "Function Block - Conveyor* - Routine");
    EXPECT_TRUE(frame.doc().modified);
}

TEST_F(ProjectTreeTest, RenamedComponentsTakeTheirTagsAndWindowsAlong) {
    CUnit* block = AddComponent(frame, {"Conveyor"});
    CUnit* type = AddComponent(frame, {"Pallet", ComponentType::Type});
    CreateTag(frame, TagListSubject::Of(*block), {"Run", "BOOL", "", "Decimal", false, kUsageInput});
    CreateTag(frame, TagListSubject::Of(*type), {"Line", "Conveyor"});
    CTag* zone = CreateTag(frame, TagListSubject::Main(), {"Zones", "Conveyor[3]"});
    CTag* pallet = CreateTag(frame, TagListSubject::Main(), {"P", "Pallet"});
    host.windows.clear();

    EXPECT_FALSE(RenameItem(frame, *Item(TreeRole::FunctionBlock, "Conveyor"), "Pallet"));
    EXPECT_EQ(host.Messages(), std::vector<std::string>{"Component with name Pallet already exist!"});
    ASSERT_TRUE(RenameItem(frame, *Item(TreeRole::FunctionBlock, "Conveyor"), "Belt"));
    EXPECT_EQ(block->name, "Belt");
    EXPECT_EQ(zone->dataType, "Belt[3]");
    EXPECT_EQ(zone->members[0]->dataType, "Belt");
    EXPECT_EQ(pallet->members[0]->dataType, "Belt");
    EXPECT_EQ(frame.project().FindType("Pallet")->members[0]->dataType, "Belt");
    EXPECT_EQ(frame.project().FindType("Conveyor"), nullptr);
    EXPECT_EQ(host.windows, (std::vector<std::string>{"rename: fb:Conveyor:routine -> fb:Belt:routine",
                                                      "rename: fb:Conveyor:tags -> fb:Belt:tags"}));
    EXPECT_EQ(host.titles["fb:Belt:tags"], "Function Block - Belt* - Tags");
    EXPECT_FALSE(RenameItem(frame, *Item(TreeRole::ConfigurationStructure), "Setup"));
}

TEST_F(ProjectTreeTest, DeleteAsksFirstAndKeepsTheTagsOfTheDeletedType) {
    CUnit* block = AddComponent(frame, {"Conveyor"});
    CreateTag(frame, TagListSubject::Of(*block), {"Run", "BOOL", "", "Decimal", false, kUsageInput});
    CTag* line = CreateTag(frame, TagListSubject::Main(), {"Line", "Conveyor"});
    ASSERT_EQ(line->members.size(), 1u);
    host.windows.clear();

    host.answers = {false};
    EXPECT_FALSE(DeleteComponent(frame, *block));
    EXPECT_NE(frame.project().FindUnit("Conveyor"), nullptr);
    EXPECT_TRUE(host.windows.empty());

    host.answers = {true};
    ASSERT_TRUE(DeleteComponent(frame, *block));
    EXPECT_EQ(host.log.back(), "okcancel: Do you really want to delete function block 'Conveyor'?");
    EXPECT_EQ(frame.project().FindUnit("Conveyor"), nullptr);
    EXPECT_EQ(frame.project().FindType("Conveyor"), nullptr);
    EXPECT_EQ(host.windows, (std::vector<std::string>{"close: fb:Conveyor:routine", "close: fb:Conveyor:tags"}));
    EXPECT_EQ(line->dataType, "Conveyor");
    EXPECT_TRUE(line->members.empty());

    CUnit* type = AddComponent(frame, {"Pallet", ComponentType::Type});
    host.answers = {true};
    ASSERT_TRUE(DeleteComponent(frame, *type));
    EXPECT_EQ(host.log.back(), "okcancel: Do you really want to delete type 'Pallet'?");
    EXPECT_FALSE(DeleteComponent(frame, *frame.project().FindUnit("Configuration")));
}

TEST_F(ProjectTreeTest, EditedVersionNumbersAreSaved) {
    EXPECT_FALSE(RenameItem(frame, *Item(TreeRole::MajorNumber), "two"));
    EXPECT_FALSE(RenameItem(frame, *Item(TreeRole::MinorNumber), "65536"));
    ASSERT_TRUE(RenameItem(frame, *Item(TreeRole::MajorNumber), "2"));
    ASSERT_TRUE(RenameItem(frame, *Item(TreeRole::MinorNumber), "5"));
    EXPECT_EQ(Item(TreeRole::MajorNumber)->text, "2");

    TempDir dir;
    ASSERT_TRUE(SaveDocumentTo(frame, dir.File("P.clp")));
    auto read = ReadProjectFile(dir.File("P.clp"));
    ASSERT_TRUE(read.project) << read.error;
    EXPECT_EQ(read.project->doc.version.major, 2);
    EXPECT_EQ(read.project->doc.version.minor, 5);
}

}  // namespace
}  // namespace pontra
