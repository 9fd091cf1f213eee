// SPDX-License-Identifier: GPL-3.0-or-later
// The tag editor driven through its cells: creating, renaming, retyping and deleting
// tags with the rules' refusals; members expanded lazily and edited; the filter and the
// sort; the non-volatile toggle; a type's members.
#include <QKeyEvent>
#include <QLineEdit>
#include <QApplication>

#include "TagEditorFixture.h"
#include "model/Types.h"

namespace pontra::gui::test {
namespace {

TEST_F(TagEditorTest, CreateRenameRetypeAndDeleteByEditingCells) {
    Open();
    int edits = 0;
    QObject::connect(editor.get(), &TagEditor::projectEdited, [&] { ++edits; });
    const size_t before = frame.doc().tags.size();
    ASSERT_TRUE(EditCell(NewTagRow(), "Speed"));
    ASSERT_EQ(frame.doc().tags.size(), before + 1);
    CTag* speed = FindTag(frame.doc().tags, "Speed");
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->dataType, TagTreeModel::kNewTagType);
    EXPECT_TRUE(Row("Speed").isValid());

    // Refusals keep the cell as it was and say why.
    const struct {
        int column;
        const char* text;
        const char* message;
    } refused[] = {
        {TagTreeModel::kName, "1st", "Tag name can use only digits, alphabetical  and '_' symbols and can't start with digit!"},
        {TagTreeModel::kName, "", "Empty Tag name!"},
        {TagTreeModel::kDataType, "Nope", "Data Type Nope is not exist!"},
        {TagTreeModel::kDescription, "a {b}", "Tag description can't use '{' and '}' symbols!"},
    };
    for (const auto& r : refused) {
        host.log.clear();
        ASSERT_TRUE(EditCell(Row("Speed", r.column), r.text)) << r.text;
        EXPECT_EQ(LastMessage(), r.message);
        EXPECT_EQ(speed->name, "Speed");
        EXPECT_EQ(speed->dataType, "DINT");
        EXPECT_EQ(speed->description, "");
        EXPECT_EQ(Row("Speed", r.column).data().toString(), model().CellText(*speed, r.column));
    }
    EXPECT_EQ(edits, 1) << "refusals change nothing";
    // A name already in the list.
    ASSERT_TRUE(EditCell(NewTagRow(), "Other"));
    host.log.clear();
    ASSERT_TRUE(EditCell(Row("Other"), "Speed"));
    EXPECT_EQ(LastMessage(), "Tag with name Speed is already exist!");

    host.log.clear();
    ASSERT_TRUE(EditCell(Row("Speed"), "Rate"));
    EXPECT_EQ(speed->name, "Rate");
    ASSERT_TRUE(EditCell(Row("Rate", TagTreeModel::kDataType), "INT"));
    EXPECT_EQ(speed->dataType, "INT");
    ASSERT_TRUE(EditCell(Row("Rate", TagTreeModel::kDescription), "Belt speed \xC2\xB0/s"));
    EXPECT_EQ(speed->description, "Belt speed \xB0/s");  // stored in Windows-1252
    EXPECT_EQ(Row("Rate", TagTreeModel::kDescription).data().toString(), QString::fromUtf8("Belt speed \xC2\xB0/s"));
    // A character Windows-1252 cannot hold is refused where it is typed.
    host.log.clear();
    ASSERT_TRUE(EditCell(Row("Rate", TagTreeModel::kDescription), QString::fromUtf8("left \xE2\x86\x90")));
    EXPECT_EQ(LastMessage(), "The character U+2190 cannot be used here.");
    EXPECT_EQ(host.log.size(), 1u);

    // Delete asks first; Cancel keeps the tag.
    editor->view()->setCurrentIndex(Row("Rate"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    host.answers = {false};
    QApplication::sendEvent(editor->view(), &press);
    EXPECT_EQ(host.log.back(), "okcancel: Do you want to delete tag 'Rate'?");
    EXPECT_NE(FindTag(frame.doc().tags, "Rate"), nullptr);
    host.answers = {true};
    QApplication::sendEvent(editor->view(), &press);
    EXPECT_EQ(FindTag(frame.doc().tags, "Rate"), nullptr);
    EXPECT_FALSE(Row("Rate").isValid());

    // Controller tags are shown but not edited or deleted here.
    const QModelIndex inputs = Row("Inputs");
    ASSERT_TRUE(inputs.isValid());
    EXPECT_FALSE(model().flags(inputs) & Qt::ItemIsEditable);
    editor->view()->setCurrentIndex(inputs);
    EXPECT_FALSE(editor->DeleteCurrent());
}

TEST_F(TagEditorTest, MembersAreBuiltOnExpandAndEdited) {
    Open();
    ASSERT_TRUE(EditCell(NewTagRow(), "Table"));
    ASSERT_TRUE(EditCell(Row("Table", TagTreeModel::kDataType), "DINT[500]"));
    const QModelIndex table = Row("Table");
    ASSERT_TRUE(model().hasChildren(table));
    EXPECT_EQ(model().rowCount(table), 0) << "members wait for the expansion";
    editor->view()->expand(table);
    QApplication::processEvents();
    ASSERT_EQ(model().rowCount(table), 500);
    const QModelIndex element = model().index(2, TagTreeModel::kName, table);
    EXPECT_EQ(element.data().toString(), "[2]");
    EXPECT_EQ(element.data(Qt::ToolTipRole).toString(), "Table[2]");
    EXPECT_EQ(model().rowCount(element), 0) << "bits of an element wait too";

    CTag& tag = *FindTag(frame.doc().tags, "Table");
    ASSERT_TRUE(EditCell(element.siblingAtColumn(TagTreeModel::kValue), "77"));
    EXPECT_EQ(tag.members[2]->initialValue, "77");
    EXPECT_EQ(tag.members[2]->members[0]->initialValue, "1") << "bit 0 follows the value";
    ASSERT_TRUE(EditCell(element.siblingAtColumn(TagTreeModel::kValue), "99999999999"));
    EXPECT_EQ(LastMessage(), "Value must be in range from -2147483648 up to 2147483647!");
    EXPECT_EQ(tag.members[2]->initialValue, "77");

    // A style chosen for the array applies to its elements.
    ASSERT_TRUE(EditCell(Row("Table", TagTreeModel::kStyle), "Hex"));
    EXPECT_EQ(tag.members[2]->style, "Hex");
    editor->view()->expand(Row("Table"));
    QApplication::processEvents();
    EXPECT_EQ(model().index(2, TagTreeModel::kValue, Row("Table")).data().toString(), "16#0000004D");
    // A bit of an integer is not edited on its own.
    const QModelIndex bits = model().index(2, 0, Row("Table"));
    editor->view()->expand(bits);
    QApplication::processEvents();
    ASSERT_EQ(model().rowCount(bits), 32);
    EXPECT_FALSE(model().flags(model().index(0, TagTreeModel::kValue, bits)) & Qt::ItemIsEditable);
}

TEST_F(TagEditorTest, FilterAndSort) {
    Open();
    for (const char* name : {"Motor", "Sensor", "Alarm"}) ASSERT_TRUE(EditCell(NewTagRow(), name));
    ASSERT_TRUE(EditCell(Row("Alarm", TagTreeModel::kDescription), "motor overload"));
    ASSERT_TRUE(EditCell(Row("Sensor", TagTreeModel::kDataType), "BOOL"));
    const auto names = [&] {
        QStringList shown;
        for (int r = 0; r < model().rowCount(); ++r) shown << model().index(r, 0).data().toString();
        return shown;
    };
    editor->filterField()->setText("motor");  // name or description, any case
    EXPECT_EQ(names().mid(0, 3), (QStringList{"Motor", "Alarm", "(new tag)"}));
    editor->filterField()->setText("bool");  // type
    EXPECT_TRUE(names().contains("Sensor"));
    EXPECT_FALSE(names().contains("Motor"));
    editor->filterField()->setText("zzz");
    EXPECT_EQ(names(), QStringList{"(new tag)"}) << "controller tags are filtered too";
    editor->filterField()->clear();
    editor->view()->sortByColumn(TagTreeModel::kName, Qt::AscendingOrder);
    const QStringList sorted = names();
    EXPECT_LT(sorted.indexOf("Alarm"), sorted.indexOf("Motor"));
    EXPECT_EQ(sorted.indexOf("(new tag)"), static_cast<int>(frame.doc().tags.size()))
        << "the new-tag row stays behind the program's tags, before the controller tags";
    editor->view()->sortByColumn(TagTreeModel::kName, Qt::DescendingOrder);
    EXPECT_LT(names().indexOf("Motor"), names().indexOf("Alarm"));
}

TEST_F(TagEditorTest, NonVolatileToggleAndCommandTarget) {
    Open();
    ASSERT_TRUE(EditCell(NewTagRow(), "Count"));
    editor->view()->setCurrentIndex(Row("Count"));
    CommandTarget target;
    editor->FillCommandTarget(target);
    ASSERT_EQ(target.tag, FindTag(frame.doc().tags, "Count"));
    EXPECT_TRUE(CommandStateOf(frame, Command::NonVolatile, target).enabled);
    ASSERT_TRUE(editor->ToggleNonVolatileOfCurrent());
    EXPECT_EQ(target.tag->nonVolatile, 1);
    EXPECT_TRUE(Row("Count").data(Qt::FontRole).value<QFont>().bold());
    // Online in debug mode the rules refuse every change.
    frame.debugMode = 1;
    host.log.clear();
    EXPECT_FALSE(editor->ToggleNonVolatileOfCurrent());
    EXPECT_EQ(target.tag->nonVolatile, 1);
    EXPECT_FALSE(model().flags(Row("Count")) & Qt::ItemIsEditable);
    frame.debugMode = 0;
}

TEST_F(TagEditorTest, MembersOfAUserType) {
    CUnit* config = frame.project().FindUnit("Configuration");
    ASSERT_NE(config, nullptr);
    Open(TagListSubject::Of(*config));
    EXPECT_EQ(editor->key(), "type:Configuration");
    ASSERT_TRUE(EditCell(NewTagRow(), "Enable"));
    ASSERT_TRUE(EditCell(Row("Enable", TagTreeModel::kDataType), "BOOL"));
    ASSERT_TRUE(EditCell(NewTagRow(), "Limit"));
    ASSERT_TRUE(EditCell(Row("Limit", TagTreeModel::kDataType), "TIMER"));
    EXPECT_EQ(LastMessage(), "Only simple types are allowed for configuration tags!");
    ASSERT_TRUE(EditCell(Row("Limit", TagTreeModel::kControlType), "Check"));
    EXPECT_EQ(LastMessage(), "Check control is allowed for BOOL type only!");
    ASSERT_TRUE(EditCell(Row("Enable", TagTreeModel::kControlType), "Check"));
    EXPECT_EQ(Row("Enable", TagTreeModel::kControlType).data().toString(), "Check");
    ASSERT_TRUE(EditCell(Row("Limit", TagTreeModel::kControlType), "Number"));
    EXPECT_EQ(FindTag(*EditedTags(frame.project(), TagListSubject::Of(*config)), "Limit")->configMode, kConfigRange);
}

}  // namespace
}  // namespace pontra::gui::test
