// SPDX-License-Identifier: GPL-3.0-or-later
// The tag editor on the conveyor example: what its rows show (aliases, descriptions,
// timer members with their presets) and, with PONTRA_SCREENSHOT_DIR set, pictures of
// the main program's tags and of a type's members to look at. PONTRA_SCREENSHOT_CLP
// names a project file to show instead of the imported example.
#include <QApplication>
#include <QPixmap>
#include <QTreeView>
#include <fstream>
#include <sstream>

#include "TagEditorFixture.h"
#include "files/ComponentImport.h"
#include "files/ProjectReader.h"

namespace pontra::gui::test {
namespace {

std::string ExampleText(const char* name) {
    std::ifstream in(std::string(PONTRA_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Picture(QWidget& widget, const char* name) {
    const char* dir = std::getenv("PONTRA_SCREENSHOT_DIR");
    if (!dir) return;
    QApplication::processEvents();
    EXPECT_TRUE(widget.grab().save(QString::fromUtf8(dir) + "/" + name));
}

TEST_F(TagEditorTest, ConveyorExampleTagsAndATypesMembers) {
    if (const char* clp = std::getenv("PONTRA_SCREENSHOT_CLP")) {
        auto read = ReadProjectFile(clp);
        ASSERT_TRUE(read.project) << read.error;
        frame.SetProject(std::move(read.project));
    } else {
        host.answers.push_back(true);
        ASSERT_TRUE(ImportComponents(frame, ExampleText("conveyor_zone.txt"), "conveyor_zone.txt").ok);
    }
    Open();
    const QModelIndex sensor = Row("ZoneSensor");
    ASSERT_TRUE(sensor.isValid());
    EXPECT_EQ(sensor.siblingAtColumn(TagTreeModel::kAlias).data().toString(), "Inputs.0");
    EXPECT_EQ(sensor.siblingAtColumn(TagTreeModel::kDescription).data().toString(), "Zone photo-eye");
    EXPECT_EQ(sensor.siblingAtColumn(TagTreeModel::kValue).data().toString(), "") << "an alias has no value of its own";
    const QModelIndex debounce = Row("SensorDebounce");
    editor->view()->expand(debounce);
    QApplication::processEvents();
    ASSERT_GT(model().rowCount(debounce), 0);
    EXPECT_EQ(model().index(0, TagTreeModel::kName, debounce).data().toString(), "PRE");
    EXPECT_EQ(model().index(0, TagTreeModel::kValue, debounce).data().toString(), "100");
    editor->resize(1280, 560);
    Picture(*editor, "tags_main.png");

    // A type's members: the configuration structure with a control of each kind.
    CUnit* config = frame.project().FindUnit("Configuration");
    ASSERT_NE(config, nullptr);
    const TagListSubject subject = TagListSubject::Of(*config);
    for (auto [name, type, mode] : {std::tuple{"Enable", "BOOL", 1}, {"Speed", "INT", 2}, {"Direction", "SINT", 3}}) {
        CTag* tag = CreateTag(frame, subject, {name, type, std::string(name) + " of the zone"});
        ASSERT_NE(tag, nullptr);
        ASSERT_TRUE(EditControlType(frame, subject, *tag, mode));
        if (mode == 2) {
            tag->choiceTexts = {"Min", "Max"};
            tag->choiceValues = {0, 1200};
        } else if (mode == 3) {
            tag->choiceTexts = {"Forward", "Reverse"};
            tag->choiceValues = {0, 1};
        }
    }
    Open(subject);
    EXPECT_EQ(Row("Speed", TagTreeModel::kControlType).data().toString(), "Number");
    EXPECT_EQ(Row("Speed", TagTreeModel::kControlProperties).data().toString(), "Min = 0, Max = 1200");
    editor->resize(1280, 300);
    Picture(*editor, "tags_type.png");
}

}  // namespace
}  // namespace pontra::gui::test
