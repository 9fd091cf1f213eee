// SPDX-License-Identifier: GPL-3.0-or-later
// The text form of rungs.
#include <gtest/gtest.h>

#include <functional>

#include "files/RungText.h"
#include "files/SampleProject.h"

namespace pontra::test {
namespace {

struct RungTextCase {
    const char* name;
    std::function<void(CRung&)> build;
    const char* text;
};

class RungTextForm : public ::testing::TestWithParam<RungTextCase> {};

TEST_P(RungTextForm, WritesOneLinePerStatement) {
    auto rung = NewRung();
    GetParam().build(*rung);
    EXPECT_EQ(RungText(*rung), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RungTextForm,
    ::testing::Values(
        RungTextCase{"EmptyRung", [](CRung&) {}, "RUNG;\r\nRND;\r\n\r\n"},
        RungTextCase{"CommentWithoutBlankBeforeBrace",
                     [](CRung& r) {
                         r.comment = "Stop all";
                         r.Append(MakeElement(2, {"Start"}));
                         AddBranch(r, {"A", "B"});
                         r.Append(MakeElement(4, {"Motor"}));
                     },
                     "RUNG{comment = Stop all};\r\nXIC(Start);\r\nBST;\r\nXIC(A);\r\nNXB;\r\nXIC(B);\r\nBND;\r\n"
                     "OTE(Motor);\r\nRND;\r\n\r\n"},
        RungTextCase{"OperandsWithoutBlanksAndBareMnemonic",
                     [](CRung& r) {
                         r.Append(MakeElement(19, {"T.PRE", "-5", "Tab[1,2]"}));
                         r.Append(MakeElement(63, {}));
                     },
                     "RUNG;\r\nADD(T.PRE,-5,Tab[1,2]);\r\nRFB;\r\nRND;\r\n\r\n"},
        RungTextCase{"BranchNestedInALeg",
                     [](CRung& r) {
                         CElement& outer = AddBranch(r, {"A", "B"});
                         AddBranch(*outer.legs[0], {"C", "D"});
                     },
                     "RUNG;\r\nBST;\r\nXIC(A);\r\nBST;\r\nXIC(C);\r\nNXB;\r\nXIC(D);\r\nBND;\r\nNXB;\r\nXIC(B);\r\n"
                     "BND;\r\nRND;\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pontra::test
