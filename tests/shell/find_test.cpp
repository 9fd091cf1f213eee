// SPDX-License-Identifier: GPL-3.0-or-later
// Find in a ladder view: the three fields going down, operands only going up, whole word
// and case, and the wrap-around questions.
#include <gtest/gtest.h>

#include "host/ScriptedHost.h"
#include "shell/FindInProgram.h"
#include "shell/LadderEditing.h"
#include "shell/LadderShapes.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

constexpr const char* kEndQuestion =
    "yesno: The end of the program was reached. Do you want continue searching at the beginning?";
constexpr const char* kEndNotFound = "message: The end of the program was reached. The searching item was not found.";
constexpr const char* kBeginQuestion =
    "yesno: The beginning of the program was reached. Do you want continue searching at the end?";

class FindTest : public ::testing::Test {
protected:
    FindTest() {
        CVessaDoc& doc = frame.doc();
        doc.rungs.clear();
        doc.rungs.push_back(test::BuildRung("XIC:Start_XIC BST XIC:Lamp NXB XIO:Guard BND OTE:Motor"));
        doc.rungs.push_back(test::BuildRung("XIC:xic OTE:Horn"));
        auto lamp = std::make_unique<CTag>("Lamp", "BOOL");
        lamp->description = "front panel light";
        auto guard = std::make_unique<CTag>("Guard", "BOOL");
        guard->alias = "Door";
        guard->baseTag = "DoorSwitch";
        doc.tags.push_back(std::move(lamp));
        doc.tags.push_back(std::move(guard));
        view = std::make_unique<LadderView>(frame, nullptr);
    }

    std::string Found(const FindOptions& options) {
        const CElement* e = FindNext(*view, options);
        return e ? e->operands[0] : "none";
    }

    ScriptedHost host;
    CMainFrame frame{host};
    std::unique_ptr<LadderView> view;
};

TEST_F(FindTest, FieldsWordsAndCase) {
    struct Case {
        FindOptions options;
        const char* found;
    };
    auto down = [](std::string text) { return FindOptions{std::move(text)}; };
    FindOptions description = down("PANEL");
    description.description = true;
    FindOptions base = down("doorswitch");
    base.baseTag = true;
    FindOptions whole = down("XIC");
    whole.wholeWord = true;
    FindOptions cased = down("xic");
    cased.matchCase = true;
    FindOptions noOperand = down("Motor");
    noOperand.operand = false;
    noOperand.description = true;
    const Case cases[] = {
        {down("motor"), "Motor"},  // case folded
        {description, "Lamp"},     // only in the tag's description
        {base, "Guard"},
        {whole, "xic"},  // not Start_XIC
        {cased, "xic"},
        {down("_XIC"), "Start_XIC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.text);
        ASSERT_TRUE(SelectElement(*view, frame.doc().rungs[0]->elements[0].get()));
        EXPECT_EQ(Found(c.options), c.found);
    }
    EXPECT_TRUE(host.log.empty());

    // Up compares operands only: a description never matches.
    ASSERT_TRUE(SelectElement(*view, frame.doc().rungs[1]->elements.back().get()));
    description.down = false;
    host.answers = {true};
    EXPECT_EQ(Found(description), "none");
    EXPECT_EQ(host.log, (std::vector<std::string>{
                            kBeginQuestion,
                            "message: The beginning of the program was reached. The searching item was not found."}));
    EXPECT_EQ(Found(noOperand), "none");  // Down without the operand field: Motor has no description
}

TEST_F(FindTest, WrapAroundAsksOnceAndKeepsTheSelectionWhenNothingIsFound) {
    CElement* horn = frame.doc().rungs[1]->elements.back().get();
    ASSERT_TRUE(SelectElement(*view, horn));
    host.answers = {true};
    EXPECT_EQ(Found(FindOptions{"Start"}), "Start_XIC");
    EXPECT_EQ(view->currentRung, 0);
    EXPECT_EQ(host.log, std::vector<std::string>{kEndQuestion});

    host.log.clear();
    host.answers = {true};
    ASSERT_TRUE(SelectElement(*view, horn));
    EXPECT_EQ(Found(FindOptions{"Conveyor"}), "none");
    EXPECT_EQ(view->selected, horn);
    EXPECT_EQ(host.log, (std::vector<std::string>{kEndQuestion, kEndNotFound}));

    host.log.clear();
    host.answers = {false};
    EXPECT_EQ(Found(FindOptions{"Start"}), "none");
    EXPECT_EQ(host.log, std::vector<std::string>{kEndQuestion});

    // The wrapped pass going up starts at the very last element, so it is found too.
    FindOptions up{"Horn"};
    up.down = false;
    host.answers = {true};
    ASSERT_TRUE(SelectElement(*view, frame.doc().rungs[0]->elements[1].get()));
    EXPECT_EQ(Found(up), "Horn");
}

}  // namespace
}  // namespace pontra
