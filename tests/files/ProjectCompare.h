// SPDX-License-Identifier: GPL-3.0-or-later
// Deep comparison of projects for round-trip tests: everything the file stores, and the
// parent links the reader must restore.
#pragma once

#include <gtest/gtest.h>

#include "model/Project.h"

namespace pontra::test {

inline void ExpectSameRungs(const RungList& a, const RungList& b, const CRung* parentB = nullptr) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t r = 0; r < a.size(); ++r) {
        SCOPED_TRACE("rung " + std::to_string(r));
        EXPECT_EQ(a[r]->comment, b[r]->comment);
        EXPECT_EQ(a[r]->flag, b[r]->flag);
        EXPECT_EQ(b[r]->parent, parentB);
        ASSERT_EQ(a[r]->elements.size(), b[r]->elements.size());
        for (size_t i = 0; i < a[r]->elements.size(); ++i) {
            const CElement& x = *a[r]->elements[i];
            const CElement& y = *b[r]->elements[i];
            SCOPED_TRACE("element " + std::to_string(i));
            EXPECT_EQ(x.kind, y.kind);
            EXPECT_EQ(x.mnemonic, y.mnemonic);
            ASSERT_EQ(x.operandCount, y.operandCount);
            for (int o = 0; o < x.operandCount; ++o) EXPECT_EQ(x.operands[o], y.operands[o]);
            EXPECT_EQ(y.parent, b[r].get());
            // Legs hang off the rung that holds their branch element.
            ExpectSameRungs(x.legs, y.legs, b[r].get());
        }
    }
}

inline void ExpectSameTags(const TagList& a, const TagList& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(a[i]->SameAs(*b[i])) << a[i]->name << " vs " << b[i]->name;
}

inline void ExpectSameProject(const CProject& a, const CProject& b) {
    EXPECT_EQ(a.doc.timeStamp, b.doc.timeStamp);
    EXPECT_EQ(a.doc.moduleAddress, b.doc.moduleAddress);
    EXPECT_EQ(a.doc.moduleAddressText, b.doc.moduleAddressText);
    EXPECT_EQ(a.doc.controllerType, b.doc.controllerType);
    EXPECT_EQ(a.doc.version, b.doc.version);
    ExpectSameRungs(a.doc.rungs, b.doc.rungs);
    ExpectSameTags(a.doc.tags, b.doc.tags);
    ExpectSameTags(a.doc.controllerTags, b.doc.controllerTags);
    ASSERT_EQ(a.units.size(), b.units.size());
    for (size_t u = 0; u < a.units.size(); ++u) {
        SCOPED_TRACE("unit " + a.units[u]->name);
        EXPECT_EQ(a.units[u]->name, b.units[u]->name);
        EXPECT_EQ(a.units[u]->kind, b.units[u]->kind);
        EXPECT_EQ(a.units[u]->language, b.units[u]->language);
        EXPECT_EQ(a.units[u]->text, b.units[u]->text);
        ExpectSameRungs(a.units[u]->rungs, b.units[u]->rungs);
        ExpectSameTags(a.units[u]->tags, b.units[u]->tags);
    }
    ASSERT_EQ(a.types.size(), b.types.size());
    for (size_t t = 0; t < a.types.size(); ++t) {
        EXPECT_EQ(a.types[t]->name, b.types[t]->name);
        ExpectSameTags(a.types[t]->members, b.types[t]->members);
    }
}

}  // namespace pontra::test
