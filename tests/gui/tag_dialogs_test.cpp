// SPDX-License-Identifier: GPL-3.0-or-later
// The tag dialogs on the core's logic: Connection Tag, Control Properties, ComboBox
// Properties with its String dialog; each refusal with its text keeps the dialog open.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <deque>

#include "TagEditorFixture.h"
#include "gui/ComboBoxPropertiesDialog.h"
#include "gui/ConnectionTagDialog.h"
#include "gui/ControlPropertiesDialog.h"
#include "gui/StringDialog.h"
#include "shell/TagConfiguration.h"

namespace pontra::gui::test {
namespace {

class TagDialogsTest : public TagEditorTest {
protected:
    // A member of the configuration structure with a control type.
    CTag& ConfigMember(const char* name, const char* type, int mode) {
        CUnit* config = frame.project().FindUnit("Configuration");
        EXPECT_NE(config, nullptr);
        const TagListSubject subject = TagListSubject::Of(*config);
        CTag* tag = CreateTag(frame, subject, {name, type});
        EXPECT_NE(tag, nullptr);
        EXPECT_TRUE(EditControlType(frame, subject, *tag, mode));
        return *tag;
    }
};

TEST_F(TagDialogsTest, ConnectionTag) {
    CTag* slot = frame.project().FindControllerTag("Tag1");
    ASSERT_NE(slot, nullptr);
    ConnectionTagDialog dialog(frame, *slot);
    EXPECT_TRUE(dialog.notUsed()->isChecked());
    EXPECT_FALSE(dialog.fromTo()->isEnabled());
    dialog.consumed()->setChecked(true);
    ASSERT_EQ(dialog.fromTo()->count(), 5);
    dialog.fromTo()->setCurrentIndex(3);
    EXPECT_EQ(dialog.fromTo()->currentText(), "Downstream Zone");
    EXPECT_EQ(dialog.registerField()->text(), "196");
    EXPECT_FALSE(dialog.registerField()->isEnabled());

    dialog.addressField()->setText("0.0.0.0");
    dialog.accept();
    EXPECT_EQ(LastMessage(), "IP Address can't be 0.0.0.0!");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(slot->connectionKind, kConnNotUsed);

    dialog.addressField()->setText("127.0.0.2");
    dialog.fromTo()->setCurrentIndex(4);  // "Register Number"
    EXPECT_TRUE(dialog.registerField()->isEnabled());
    dialog.registerField()->setText("513");
    dialog.accept();
    EXPECT_EQ(LastMessage(), "Register number must be in range from 1 up to 512 or greater or eqial than 1100!");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.registerField()->setText("1100");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(slot->connectionKind, kConnConsumed);
    EXPECT_EQ(slot->connectionParam, 1100);
    EXPECT_EQ(slot->connectionWord, 0x7F000002u);

    // Reopened: the register shows as typed; Not Used clears the slot.
    ConnectionTagDialog again(frame, *slot);
    EXPECT_TRUE(again.consumed()->isChecked());
    EXPECT_EQ(again.fromTo()->currentText(), "Register Number");
    EXPECT_EQ(again.registerField()->text(), "1100");
    again.notUsed()->setChecked(true);
    again.accept();
    EXPECT_EQ(slot->connectionKind, kConnNotUsed);
    EXPECT_EQ(slot->connectionWord, 0u);
    EXPECT_EQ(slot->connectionParam, 0);
}

TEST_F(TagDialogsTest, ControlPropertiesLimits) {
    CTag& level = ConfigMember("Level", "SINT", kConfigRange);
    ControlPropertiesDialog dialog(frame, level);
    EXPECT_EQ(dialog.minField()->text(), "");
    dialog.maxField()->setText("200");
    dialog.accept();
    EXPECT_EQ(LastMessage(), "Value must be in range from -128 up to 127!");
    dialog.minField()->setText("5");
    dialog.maxField()->setText("5");
    dialog.accept();
    EXPECT_EQ(LastMessage(), "Max Value must be greater than Min Value!");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(level.choiceTexts.empty());
    dialog.minField()->clear();
    dialog.maxField()->setText("100");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(level.choiceTexts, std::vector<std::string>{"Max"});
    EXPECT_EQ(level.choiceValues, std::vector<uint32_t>{100});
}

TEST_F(TagDialogsTest, ComboBoxPropertiesAndStringDialog) {
    CTag& mode = ConfigMember("Mode", "SINT", kConfigChoice);
    ComboBoxPropertiesDialog dialog(frame, mode);
    std::deque<std::pair<QString, QString>> typed;
    dialog.runStringDialog = [&](StringDialog& d) {
        d.stringField()->setText(typed.front().first);
        d.valueField()->setText(typed.front().second);
        typed.pop_front();
        d.accept();
        return d.result();
    };
    const struct {
        const char* text;
        const char* value;
        const char* message;  // empty: accepted
    } adds[] = {
        {"", "1", "String can not be empty!"},
        {"Off", "", "Value can not be empty!"},
        {"Off", "0", ""},
        {"Off", "1", "String 'Off' is already exist!"},
        {"On", "0", "String with value '0' is already exist!"},
        {"On", "1", ""},
        {"Fast", "300", ""},  // the range is checked on OK of the list
    };
    for (const auto& a : adds) {
        host.log.clear();
        typed = {{a.text, a.value}};
        dialog.AddRow();
        EXPECT_EQ(LastMessage(), a.message) << a.text << "=" << a.value;
    }
    ASSERT_EQ(dialog.list()->topLevelItemCount(), 3);
    dialog.accept();
    EXPECT_EQ(LastMessage(), "Value must be in range from -128 up to 127!");
    EXPECT_EQ(dialog.list()->currentItem(), dialog.list()->topLevelItem(2)) << "the failing row is selected";
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(mode.choiceTexts.empty());

    // Edit compares the row with the others only.
    typed = {{"Fast", "2"}};
    dialog.EditRow();
    EXPECT_EQ(dialog.list()->topLevelItem(2)->text(1), "2");
    dialog.list()->setCurrentItem(dialog.list()->topLevelItem(0));
    dialog.deleteButton()->click();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(mode.choiceTexts, (std::vector<std::string>{"On", "Fast"}));
    EXPECT_EQ(mode.choiceValues, (std::vector<uint32_t>{1, 2}));
}

}  // namespace
}  // namespace pontra::gui::test
