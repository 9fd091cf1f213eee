// SPDX-License-Identifier: GPL-3.0-or-later
// The array-element reference check that the Structured Text compiler shares: each rule
// with its text, and the constant indexes at both ends of each dimension.
#include <gtest/gtest.h>

#include <map>

#include "build/ArrayReference.h"

namespace pontra {
namespace {

struct Case {
    const char* reference;
    const char* expected;  // empty: the reference passes
};

std::string Check(std::string_view reference) {
    static const std::map<std::string, std::string, std::less<>> types = {
        {"A", "DINT[3]"}, {"G", "INT[2,3]"}, {"F", "BOOL[4]"}, {"i", "SINT"}, {"b", "BOOL"}, {"d", "DINT"}};
    return CheckArrayReference(reference, [](std::string_view name) {
        auto it = types.find(name);
        return it == types.end() ? std::string() : it->second;
    });
}

TEST(ArrayReference, EachRuleGivesItsText) {
    const Case cases[] = {
        {"A[0]", ""},
        {"A[2]", ""},
        {"A[3]", "Array index is out of range"},
        {"A[-1]", "Array index is out of range"},
        {"A[99999999999999]", "Array index is out of range"},
        {"A[i]", ""},
        {"A[b]", "Invalid array index type"},
        {"A[q]", "Invalid array index"},
        {"A[]", "Invalid array index"},
        {"G[1,2]", ""},
        {"G[0,0]", ""},
        {"G[2,0]", "Array index  at first dimension is out of range"},
        {"G[-1,0]", "Array index  at first dimension is out of range"},
        {"G[1,3]", "Array index  at second dimension is out of range"},
        {"G[1,-1]", "Array index  at second dimension is out of range"},
        {"G[2,3]", "Array index  at first dimension is out of range"},  // the first broken rule
        {"G[i,d]", ""},
        {"G[b,0]", "Invalid array index type at first dimension"},
        {"G[0,b]", "Invalid array index type at second dimension"},
        {"G[,0]", "Invalid array index at first dimension"},
        {"G[0,]", "Invalid array index at second dimension"},
        {"G[1]", "Invalid array dimension"},
        {"A[1,1]", "Invalid array dimension"},
        {"G[0,0,0]", "Invalid array dimension"},
        {"F[0]", "Invalid array type"},
        {"d[0]", "Invalid array"},
        {"A[1", "Invalid array"},
        {"A[1]]", "Invalid array"},
        {"[1]", "Invalid array"},
        {"A", "Invalid array"},
    };
    for (const auto& c : cases) EXPECT_EQ(Check(c.reference), c.expected) << c.reference;
}

}  // namespace
}  // namespace pontra
