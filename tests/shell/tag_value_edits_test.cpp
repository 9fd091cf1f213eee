// SPDX-License-Identifier: GPL-3.0-or-later
// In-place edits of initial values and display styles: parsing in the tag's style and
// width, refusals with the range message, bits following their integer, the styles a
// type allows, and the debug-mode refusal.
#include <gtest/gtest.h>

#include "host/ScriptedHost.h"
#include "model/Types.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"
#include "shell/TagValueEdits.h"

namespace pontra {
namespace {

class TagValueEditsTest : public ::testing::Test {
protected:
    TagValueEditsTest() { frame.SetProject(NewProjectDocument()); }
    CTag& Add(const char* name, const char* type, const char* style = "Decimal") {
        auto tag = std::make_unique<CTag>(name, type);
        tag->style = style;
        BuildMembers(frame.project(), *tag);
        frame.doc().tags.push_back(std::move(tag));
        return *frame.doc().tags.back();
    }
    ScriptedHost host;
    CMainFrame frame{host};
};

TEST_F(TagValueEditsTest, InitialValuesAreReadInTheTagsStyle) {
    const struct {
        const char* type;
        const char* style;
        const char* text;
        const char* stored;  // empty: refused
        const char* message;
    } cases[] = {
        {"SINT", "Decimal", "-128", "-128", ""},
        {"SINT", "Decimal", "128", "", "Value must be in range from -128 up to 127!"},
        {"INT", "Hex", "16#FFFF", "-1", ""},
        {"DINT", "Binary", "2#101", "5", ""},
        {"BOOL", "Decimal", "1", "1", ""},
        {"DINT", "Decimal", "abc", "", "Value must be in range from -2147483648 up to 2147483647!"},
    };
    for (const auto& c : cases) {
        host.log.clear();
        CTag& tag = Add("T", c.type, c.style);
        const bool ok = EditInitialValue(frame, tag, c.text);
        EXPECT_EQ(ok, *c.stored != '\0') << c.type << " " << c.text;
        EXPECT_EQ(tag.initialValue, *c.stored ? c.stored : "0") << c.type << " " << c.text;
        if (*c.message) {
            ASSERT_FALSE(host.Messages().empty());
            EXPECT_EQ(host.Messages().back(), c.message);
        }
        frame.doc().tags.pop_back();
    }
}

TEST_F(TagValueEditsTest, BitsFollowTheirIntegerAndStylesTheArray) {
    CTag& flags = Add("Flags", "BYTE");
    ASSERT_TRUE(EditInitialValue(frame, flags, "5"));
    ASSERT_EQ(flags.members.size(), 8u);
    EXPECT_EQ(flags.members[0]->initialValue, "1");
    EXPECT_EQ(flags.members[1]->initialValue, "0");
    EXPECT_EQ(flags.members[2]->initialValue, "1");
    EXPECT_FALSE(EditInitialValue(frame, Add("T", "TIMER"), "1")) << "a structure has no value of its own";

    CTag& table = Add("Table", "DINT[3]");
    EXPECT_EQ(StylesFor("DINT[3]").back(), "IP Address");
    EXPECT_EQ(StylesFor("INT").size(), 4u);
    EXPECT_TRUE(StylesFor("TIMER").empty());
    ASSERT_TRUE(EditTagStyle(frame, table, "IP Address"));
    EXPECT_EQ(table.members[1]->style, "IP Address");
    EXPECT_FALSE(EditTagStyle(frame, flags, "IP Address")) << "only DINT shows as an address";
    EXPECT_EQ(flags.style, "Decimal");

    frame.debugMode = 1;
    EXPECT_FALSE(EditInitialValue(frame, flags, "1"));
    EXPECT_EQ(host.Messages().back(), "This operation can't be use in Debug mode!");
    EXPECT_EQ(flags.initialValue, "5");
}

}  // namespace
}  // namespace pontra
