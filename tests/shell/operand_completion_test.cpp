// SPDX-License-Identifier: GPL-3.0-or-later
// The names the operand editor offers for each kind of operand.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/ScriptedHost.h"
#include "model/Catalogue.h"
#include "model/Types.h"
#include "shell/MainFrame.h"
#include "shell/OperandCompletion.h"

namespace pontra {
namespace {

TEST(OperandCompletion, OffersTagsAndMembersOfTheAcceptedTypes) {
    ScriptedHost host;
    CMainFrame frame{host};
    CProject& project = frame.project();
    auto add = [&](const char* name, const char* type, const char* alias = "") {
        auto tag = std::make_unique<CTag>(name, type);
        tag->alias = alias;
        tag->description = std::string("about ") + name;
        BuildMembers(project, *tag);
        project.doc.tags.push_back(std::move(tag));
    };
    add("Start", "BOOL");
    add("Count", "DINT");
    add("T1", "TIMER");
    add("Go", "BOOL", "Start");
    auto names = [&](const char* mnemonic, int operand) {
        CElement element(MnemonicToKind(mnemonic));
        std::vector<std::string> out;
        for (const auto& c : OperandCandidates(frame, nullptr, element, operand)) out.push_back(c.name);
        return out;
    };
    // Bits and members count as well as whole tags; the controller's own tags take part.
    auto has = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    const auto bits = names("XIC", 0);
    for (const char* yes : {"Start", "T1.EN", "T1.TT", "T1.DN", "Go", "Count.3"}) EXPECT_TRUE(has(bits, yes)) << yes;
    for (const char* no : {"T1", "Count", "T1.PRE"}) EXPECT_FALSE(has(bits, no)) << no;
    EXPECT_EQ(names("TON", 0), (std::vector<std::string>{"T1"}));
    const auto numbers = names("MOV", 0);
    for (const char* yes : {"Count", "T1.PRE", "T1.ACC"}) EXPECT_TRUE(has(numbers, yes)) << yes;
    for (const char* no : {"Start", "T1", "Count.3"}) EXPECT_FALSE(has(numbers, no)) << no;
    EXPECT_TRUE(names("XIC", 1).empty());  // XIC has one operand
    CElement xic(MnemonicToKind("XIC"));
    EXPECT_EQ(OperandCandidates(frame, nullptr, xic, 0).front().description, "about Start");
}

}  // namespace
}  // namespace pontra
