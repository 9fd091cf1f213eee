// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "host/ScriptedHost.h"
#include "model/ControllerTypes.h"
#include "shell/ControllerProperties.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

class ControllerPropertiesTest : public ::testing::Test {
protected:
    ScriptedHost host;
    CMainFrame frame{host};
};

TEST_F(ControllerPropertiesTest, NewTypeAfterConfirmationRebuildsTagsAndMarksModified) {
    host.controllerProperties.push_back(ControllerPropertiesChoice{0x7F00000A, "Kormo"});
    host.answers.push_back(true);
    EXPECT_TRUE(ChangeControllerProperties(frame));
    EXPECT_EQ(host.log, (std::vector<std::string>{"dialog: Controller Properties",
                                                  "okcancel: You may lose some data! Do you want to continue?"}));
    EXPECT_EQ(frame.doc().controllerType, "Kormo");
    EXPECT_EQ(frame.doc().moduleAddressText, "127.0.0.10");
    EXPECT_EQ(frame.doc().controllerTags[7]->name, "ServoReadyRight");
    EXPECT_TRUE(frame.doc().modified);
    EXPECT_EQ(host.titles["main"], "Untitled* - Main Routine (127.0.0.10)");
}

TEST_F(ControllerPropertiesTest, CancelAtEitherStepChangesNothing) {
    EXPECT_FALSE(ChangeControllerProperties(frame));  // dialog cancelled
    host.controllerProperties.push_back(ControllerPropertiesChoice{0x7F000001, "Oskel"});
    host.answers.push_back(false);
    EXPECT_FALSE(ChangeControllerProperties(frame));
    EXPECT_EQ(frame.doc().controllerType, "Vessa");
    EXPECT_EQ(frame.doc().moduleAddress, 0u);
    EXPECT_FALSE(frame.doc().modified);
}

TEST_F(ControllerPropertiesTest, SameTypeOnlyStoresTheAddressWithoutAsking) {
    host.controllerProperties.push_back(ControllerPropertiesChoice{0x7F000002, "Vessa"});
    EXPECT_TRUE(ChangeControllerProperties(frame));
    EXPECT_EQ(host.log.size(), 1u);
    EXPECT_EQ(frame.doc().moduleAddressText, "127.0.0.2");
    EXPECT_TRUE(frame.doc().modified);  // the address must reach the saved file
}

TEST_F(ControllerPropertiesTest, RefusedOnlineAndIgnoredDuringDownload) {
    frame.debugMode = 1;
    EXPECT_FALSE(ChangeControllerProperties(frame));
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{"This operation can't be use in Debug mode!"}));
    frame.debugMode = 0;
    frame.downloadInProgress = true;
    host.log.clear();
    EXPECT_FALSE(ChangeControllerProperties(frame));
    EXPECT_TRUE(host.log.empty());
}

TEST_F(ControllerPropertiesTest, ConnectionSlotSurvivesTypeChange) {
    CTag* slot = frame.project().FindControllerTag("Tag2");
    slot->connectionKind = kConnConsumed;
    slot->connectionParam = 12;
    host.controllerProperties.push_back(ControllerPropertiesChoice{0, "VessaK1"});
    host.answers.push_back(true);
    ChangeControllerProperties(frame);
    const CTag& moved = *frame.doc().controllerTags[28];
    EXPECT_EQ(moved.name, "Tag2");
    EXPECT_EQ(moved.connectionKind, kConnConsumed);
    EXPECT_EQ(moved.connectionParam, 12);
}

}  // namespace
}  // namespace pontra
