// SPDX-License-Identifier: GPL-3.0-or-later
// The tag editor online against a soft module: the value column turns into "Debug
// Value" and follows the reads cell by cell; Write Tag with its refusal; a BOOL toggles.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <map>

#include "online/OnlineBench.h"
#include "gui/TagEditor.h"
#include "gui/TagTreeModel.h"
#include "gui/WriteTagDialog.h"
#include "online/OnlineSession.h"

namespace pontra::test {
namespace {

TEST(TagEditorOnline, DebugValuesFollowTheModuleAndWriteTagWrites) {
    OnlineBench bench;
    bench.AddTestProgram();
    ASSERT_TRUE(bench.Save());
    ASSERT_TRUE(bench.StartModules({"--program", bench.BuildImage()}));
    gui::TagEditor editor(bench.frame, TagListSubject::Main());
    gui::TagTreeModel& model = *editor.model();
    const auto row = [&](const std::string& name, int column = gui::TagTreeModel::kValue) {
        return model.IndexOf(FindTag(bench.doc().tags, name), column);
    };
    EXPECT_EQ(model.headerData(gui::TagTreeModel::kValue, Qt::Horizontal).toString(), "Init Value");
    EXPECT_EQ(row("Level").data().toString(), "-300");

    ASSERT_TRUE(bench.GoOnline()) << ::testing::PrintToString(bench.host.log);
    editor.DebugModeChanged();
    EXPECT_EQ(model.headerData(gui::TagTreeModel::kValue, Qt::Horizontal).toString(), "Debug Value");
    ASSERT_TRUE(bench.Poll());
    std::map<int, int> changes;  // top-level row -> value cells changed
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& from, const QModelIndex&) {
        if (!from.parent().isValid() && from.column() == gui::TagTreeModel::kValue) ++changes[from.row()];
    });
    editor.LiveValuesChanged();
    EXPECT_EQ(row("Level").data().toString(), "-300");
    EXPECT_EQ(row("Mask").data().toString(), "16#0000");
    EXPECT_EQ(row("T1").data().toString(), "{...}");
    changes.clear();
    ASSERT_TRUE(bench.Poll());
    editor.LiveValuesChanged();
    EXPECT_EQ(changes.count(row("Big").row()), 0u) << "an unchanged value is not redrawn";
    EXPECT_FALSE(model.flags(row("Level")) & Qt::ItemIsEditable) << "online the value is written, not edited";

    // Write Tag: a value out of the tag's range is refused and the dialog stays.
    editor.view()->setCurrentIndex(row("Level", 0));
    gui::WriteTagDialog dialog(bench.frame, nullptr, *FindTag(bench.doc().tags, "Level"));
    EXPECT_EQ(dialog.label()->text(), "Level: INT");
    EXPECT_EQ(dialog.valueField()->text(), "-300");
    dialog.valueField()->setText("40000");
    dialog.accept();
    EXPECT_EQ(bench.host.Messages().back(), "Value must be in range from -32768 up to 32767!");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.valueField()->setText("1234");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    changes.clear();
    ASSERT_TRUE(bench.Poll());
    editor.LiveValuesChanged();
    EXPECT_EQ(row("Level").data().toString(), "1234");
    EXPECT_EQ(changes[row("Level").row()], 1);

    // A double-click on a BOOL's value toggles it at once.
    editor.view()->setCurrentIndex(row("Input", 0));
    Q_EMIT editor.view()->doubleClicked(row("Input"));
    ASSERT_TRUE(bench.Poll());
    editor.LiveValuesChanged();
    EXPECT_EQ(row("Input").data().toString(), "1");

    ASSERT_TRUE(bench.Stop());
    editor.DebugModeChanged();
    EXPECT_EQ(model.headerData(gui::TagTreeModel::kValue, Qt::Horizontal).toString(), "Init Value");
}

}  // namespace
}  // namespace pontra::test
