// SPDX-License-Identifier: GPL-3.0-or-later
// Tag rules: new-tag checks and placement, the configuration rules, instances that follow
// their block's tags, delete and non-volatile, the connection dialog, number limits and
// the selection list.
#include <gtest/gtest.h>

#include <tuple>

#include "build/ProjectLayout.h"
#include "host/ScriptedHost.h"
#include "model/Types.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"
#include "shell/TagConfiguration.h"
#include "shell/TagConnection.h"
#include "shell/TagRules.h"
#include "shell/LadderShapes.h"

namespace pontra {
namespace {

class TagRulesTest : public ::testing::Test {
protected:
    TagRulesTest() {
        frame.SetProject(NewProjectDocument());
        block = AddUnit("Block", kUnitFunctionBlock);
        config = frame.project().FindUnit("Configuration");
    }

    CUnit* AddUnit(const std::string& name, uint8_t kind) {
        frame.units().push_back(std::make_unique<CUnit>(name, kind));
        frame.types().push_back(std::make_unique<CType>(name));
        return frame.units().back().get();
    }

    // Creates a tag and expects it to be accepted.
    CTag& Create(const TagListSubject& subject, NewTagRequest request) {
        CTag* tag = CreateTag(frame, subject, request);
        EXPECT_NE(tag, nullptr) << request.name << ": " << (host.log.empty() ? "" : host.log.back());
        return *tag;
    }

    std::vector<std::string> Names(const TagList& tags) {
        std::vector<std::string> names;
        for (const auto& t : tags) names.push_back(t->name);
        return names;
    }

    ScriptedHost host;
    CMainFrame frame{host};
    CUnit* block = nullptr;
    CUnit* config = nullptr;
};

TEST_F(TagRulesTest, CreateTagRefusesWithTheMessageOfTheFirstBrokenRule) {
    const auto main = TagListSubject::Main();
    Create(main, {"Lamp", "BOOL"});
    Create(main, {"Settings", "Configuration"});
    CUnit* a = AddUnit("TypeA", kUnitType);
    CUnit* b = AddUnit("TypeB", kUnitType);
    Create(TagListSubject::Of(*b), {"Inner", "TypeA"});
    struct Case {
        TagListSubject subject;
        NewTagRequest request;
        const char* message;
    };
    const Case cases[] = {
        {main, {"", "BOOL"}, "Empty Tag name!"},
        {main, {"1abc", "BOOL"}, "Tag name can use only digits, alphabetical  and '_' symbols and can't start with digit!"},
        {main, {"Lamp", "BOOL"}, "Tag with name Lamp is already exist!"},
        {main, {"Inputs", "BOOL"}, "Tag with name Inputs is already exist!"},  // a controller tag
        {main, {"Count", "dint"}, "Data Type dint is not exist!"},
        {main, {"Count", "DINT", "a {b}"}, "Tag description can't use '{' and '}' symbols!"},
        {main, {"Second", "Configuration"}, "Only one instance of Configuration structute is allowed!"},
        {TagListSubject::Of(*a), {"Outer", "TypeB[2]"}, "Can't use Type TypeB[2] because of recursion!"},
        {TagListSubject::Of(*block), {"Self", "Block"}, "Can't use Type Block because of recursion!"},
        {TagListSubject::Of(*block), {"Cfg", "Configuration"},
         "Configuration structute is not allowed for Function blocks ot Types!"},
        {TagListSubject::Of(*config), {"Table", "INT[4]"}, "Only simple types are allowed for configuration tags!"},
    };
    for (const Case& c : cases) {
        host.log.clear();
        EXPECT_EQ(CreateTag(frame, c.subject, c.request), nullptr) << c.message;
        EXPECT_EQ(host.Messages(), std::vector<std::string>{c.message});
    }
    EXPECT_EQ(Names(frame.doc().tags), (std::vector<std::string>{"Lamp", "Settings"}));
}

TEST_F(TagRulesTest, NewTagsTakeUsageOrderStyleAndFlags) {
    const auto fb = TagListSubject::Of(*block);
    Create(fb, {"S1", "DINT"});
    Create(fb, {"In1", "BOOL", "", "Decimal", false, kUsageInput});
    Create(fb, {"IO1", "INT", "", "Decimal", false, kUsageInOut});
    Create(fb, {"Out1", "BOOL", "", "Decimal", false, kUsageOutput});
    Create(fb, {"In2", "BOOL", "", "Decimal", false, kUsageInput});
    EXPECT_EQ(Names(block->tags), (std::vector<std::string>{"In1", "In2", "Out1", "IO1", "S1"}));
    EXPECT_EQ(block->tags.back()->usage, kUsageStatic);

    const auto main = TagListSubject::Main();
    const CTag& peer = Create(main, {"Peer", "DINT", "", "IP Address", true});
    EXPECT_EQ(std::tuple(peer.style, peer.nonVolatile, peer.members.size()), std::tuple("IP Address", 1, size_t{32}));
    EXPECT_EQ(Create(main, {"Small", "INT", "", "IP Address"}).style, "Decimal");
    EXPECT_EQ(Create(main, {"Door", "BOOL", "", "Decimal", false, 0, "Peer"}).baseTag, "Peer");
}

TEST_F(TagRulesTest, InstancesFollowTheirBlocksTagsAndKeepTheirValues) {
    const auto fb = TagListSubject::Of(*block);
    Create(fb, {"Speed", "INT", "", "Decimal", false, kUsageInput});
    CTag& instance = Create(TagListSubject::Main(), {"M1", "Block"});
    frame.doc().rungs.push_back(test::BuildRung("XIC:M1.Speed.0 MOV:M1.Speed"));
    ASSERT_EQ(Names(instance.members), std::vector<std::string>{"M1.Speed"});
    instance.members[0]->initialValue = "5";
    BuildMembers(frame.project(), *instance.members[0]);

    Create(fb, {"Done", "BOOL", "", "Decimal", false, kUsageOutput});
    ASSERT_EQ(Names(instance.members), (std::vector<std::string>{"M1.Speed", "M1.Done"}));
    EXPECT_EQ(instance.members[0]->initialValue, "5");
    EXPECT_EQ(instance.members[0]->members[2]->initialValue, "1");

    ASSERT_TRUE(EditTagName(frame, fb, *block->tags[0], "Rate"));
    EXPECT_EQ(Names(instance.members), (std::vector<std::string>{"M1.Rate", "M1.Done"}));
    EXPECT_EQ(instance.members[0]->members[0]->name, "M1.Rate.0");
    EXPECT_EQ(instance.members[0]->initialValue, "5");
    EXPECT_EQ(test::Shape(frame.doc().rungs).substr(test::Shape(frame.doc().rungs).rfind(';') + 2),
              "| XIC(M1.Rate.0) MOV(M1.Rate)");

    host.answers = {false, true};
    EXPECT_FALSE(DeleteTag(frame, fb, *block->tags[1]));
    EXPECT_TRUE(DeleteTag(frame, fb, *block->tags[1]));
    EXPECT_EQ(host.log, (std::vector<std::string>{"okcancel: Do you want to delete tag 'Done'?",
                                                  "okcancel: Do you want to delete tag 'Done'?"}));
    EXPECT_EQ(Names(instance.members), std::vector<std::string>{"M1.Rate"});
    EXPECT_FALSE(DeleteTag(frame, TagListSubject::Main(), *frame.doc().controllerTags[0]));
}

TEST_F(TagRulesTest, ConfigurationMembersKeepSimpleTypesAndShareTheirSettings) {
    const auto members = TagListSubject::Of(*config);
    CTag& enable = Create(members, {"Enable", "BOOL"});
    CTag& speed = Create(members, {"Speed", "SINT"});
    CTag& settings = Create(TagListSubject::Main(), {"Settings", "Configuration"});

    EXPECT_FALSE(EditTagDataType(frame, members, speed, "TIMER"));
    EXPECT_FALSE(EditControlType(frame, members, speed, kConfigValue));
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{"Only simple types are allowed for configuration tags!",
                                                         "Check control is allowed for BOOL type only!"}));
    EXPECT_TRUE(EditControlType(frame, members, enable, kConfigValue));
    EXPECT_FALSE(EditControlType(frame, TagListSubject::Main(), settings, kConfigValue));  // not a member list

    ASSERT_TRUE(ToggleNonVolatile(frame, members, speed));
    EXPECT_EQ(settings.members[1]->name, "Settings.Speed");
    EXPECT_EQ(settings.members[1]->nonVolatile, 1);
    EXPECT_EQ(settings.members[0]->configMode, kConfigValue);

    // Limits of a "Number": each optional, checked in the member's width.
    ASSERT_TRUE(EditControlType(frame, members, speed, kConfigRange));
    EXPECT_TRUE(EditNumberLimits(frame, speed, {"", "100"}));
    EXPECT_EQ(speed.choiceTexts, std::vector<std::string>{"Max"});
    EXPECT_EQ(speed.choiceValues, std::vector<uint32_t>{100});
    host.log.clear();
    EXPECT_FALSE(EditNumberLimits(frame, speed, {"", "200"}));
    EXPECT_FALSE(EditNumberLimits(frame, speed, {"7", "7"}));
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{"Value must be in range from -128 up to 127!",
                                                         "Max Value must be greater than Min Value!"}));
    EXPECT_TRUE(EditNumberLimits(frame, speed, {"-5", "100"}));
    EXPECT_EQ(speed.choiceTexts, (std::vector<std::string>{"Min", "Max"}));
    EXPECT_EQ(speed.choiceValues, (std::vector<uint32_t>{0xFFFFFFFBu, 100}));
    EXPECT_EQ(CurrentLimits(speed).min, "-5");
    EXPECT_EQ(settings.members[1]->choiceTexts, speed.choiceTexts);
    EXPECT_TRUE(EditNumberLimits(frame, speed, {"", ""}));
    EXPECT_TRUE(speed.choiceTexts.empty());
}

// The layout places the configuration tag's non-volatile members from the flags of the
// main program's instance, so the toggle must reach them, both ways, and only that member.
TEST_F(TagRulesTest, NonVolatileConfigurationMemberReachesTheInstanceAndItsPlace) {
    const auto members = TagListSubject::Of(*config);
    Create(members, {"Enable", "BOOL"});
    CTag& speed = Create(members, {"Speed", "SINT"});
    CTag& settings = Create(TagListSubject::Main(), {"Settings", "Configuration"});
    Create(TagListSubject::Main(), {"Other", "DINT"});
    const auto flags = [&] {
        std::vector<int> values;
        for (const auto& m : settings.members) values.push_back(m->nonVolatile);
        return values;
    };
    for (int on : {1, 0}) {
        frame.SetModified(false);
        ASSERT_TRUE(ToggleNonVolatile(frame, members, speed));
        EXPECT_EQ(speed.nonVolatile, on);
        ASSERT_EQ(settings.members.size(), 2u);
        EXPECT_EQ(settings.members[1]->name, "Settings.Speed");
        EXPECT_EQ(flags(), (std::vector<int>{0, on}));
        EXPECT_TRUE(frame.doc().modified);

        ProjectLayout layout;
        ASSERT_TRUE(LayOutProject(frame.project(), layout));
        EXPECT_EQ(layout.configTag, &settings);
        EXPECT_EQ(layout.nonVolatileSize, on ? 4 : 0);
        if (on) EXPECT_EQ(settings.members[1]->address, layout.NonVolatileStart());
        else EXPECT_LT(settings.members[1]->address, layout.NonVolatileStart());
    }
}

TEST_F(TagRulesTest, SelectionListChecksStringsValuesAndRanges) {
    CTag& mode = Create(TagListSubject::Of(*config), {"Mode", "SINT"});
    ASSERT_TRUE(EditControlType(frame, TagListSubject::Of(*config), mode, kConfigChoice));
    SelectionDialog dialog(mode);
    EXPECT_EQ(dialog.Header(), "Mode: SINT");
    ASSERT_TRUE(dialog.Add(host, "Slow", "1") && dialog.Add(host, "Fast", "2"));
    for (auto [text, value] : {std::pair{"", "3"}, {"Off", ""}, {"Slow", "3"}, {"Off", "01"}})
        EXPECT_FALSE(dialog.Add(host, text, value));
    EXPECT_EQ(host.Messages(),
              (std::vector<std::string>{"String can not be empty!", "Value can not be empty!",
                                        "String 'Slow' is already exist!", "String with value '01' is already exist!"}));
    EXPECT_TRUE(dialog.Edit(host, 0, "Slow", "-1"));  // the edited row is not compared with itself
    ASSERT_TRUE(dialog.Add(host, "Turbo", "300"));

    EXPECT_FALSE(dialog.Apply(frame, mode));
    EXPECT_EQ(dialog.selected, 2);
    EXPECT_EQ(host.Messages().back(), "Value must be in range from -128 up to 127!");
    EXPECT_TRUE(mode.choiceTexts.empty());
    ASSERT_TRUE(dialog.Delete(2) && dialog.Apply(frame, mode));
    EXPECT_EQ(mode.choiceTexts, (std::vector<std::string>{"Slow", "Fast"}));
    EXPECT_EQ(mode.choiceValues, (std::vector<uint32_t>{0xFFFFFFFFu, 2}));
    EXPECT_EQ(SelectionDialog(mode).rows[0].value, "-1");
}

TEST_F(TagRulesTest, ConnectionSlotsTakeAPeerAndARegister) {
    CTag& slot = *frame.project().FindControllerTag("Tag1");
    ConnectionDialog dialog(slot);
    dialog.Choose(ConnectionChoice::Consumed);
    dialog.ChooseItem(3);  // "Downstream Zone"
    EXPECT_FALSE(dialog.RegisterEnabled());
    EXPECT_FALSE(dialog.Apply(frame, slot));  // no address yet
    dialog.address = 0x7F000102;
    ASSERT_TRUE(dialog.Apply(frame, slot));
    EXPECT_EQ(std::tuple(slot.connectionKind, slot.connectionParam, slot.connectionWord),
              std::tuple(kConnConsumed, uint16_t{196}, 0x7F000102u));

    ConnectionDialog produced(slot);
    EXPECT_EQ(produced.item, 3);
    produced.Choose(ConnectionChoice::Produced);  // 196 stands for no produced item
    EXPECT_TRUE(produced.RegisterEnabled());
    for (const char* bad : {"0", "513", "1099", "70000", "12a"}) {
        produced.registerText = bad;
        EXPECT_FALSE(produced.Apply(frame, slot)) << bad;
    }
    produced.registerText = "1100";
    ASSERT_TRUE(produced.Apply(frame, slot));
    EXPECT_EQ(std::tuple(slot.connectionKind, slot.connectionParam), std::tuple(kConnProduced, uint16_t{1100}));
    EXPECT_EQ(host.Messages().front(), "IP Address can't be 0.0.0.0!");
    EXPECT_EQ(host.Messages().back(), "Register number must be in range from 1 up to 512 or greater or eqial than 1100!");

    ConnectionDialog off(slot);
    off.Choose(ConnectionChoice::NotUsed);
    ASSERT_TRUE(off.Apply(frame, slot));
    EXPECT_EQ(std::tuple(slot.connectionKind, slot.connectionParam, slot.connectionWord),
              std::tuple(kConnNotUsed, uint16_t{0}, 0u));
}

}  // namespace
}  // namespace pontra
