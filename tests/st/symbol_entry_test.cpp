// SPDX-License-Identifier: GPL-3.0-or-later
// A symbol entry finds the first variable of a name, whether it holds a few variables
// (searched in order) or many (through its index, built once the entry grows or room is
// reserved), and across the point where it changes from one to the other; the variables
// it gave out stay where they are.
#include <gtest/gtest.h>

#include "st/SymbolTable.h"

namespace pontra {
namespace {

TEST(SymbolEntry, FindsTheFirstVariableOfEachNameAtEverySize) {
    for (size_t count : {1u, 2u, 15u, 16u, 17u, 40u, 200u}) {
        for (int reserved : {0, 1, 2}) {  // never, before the first, after the fifth
            SymbolEntry entry;
            if (reserved == 1) entry.Reserve(count);
            // Every third variable repeats the name of the one before it with another type.
            std::vector<const SymbolVariable*> first;
            for (size_t i = 0; i < count; ++i) {
                const std::string name = "v" + std::to_string(i % 3 == 2 ? i - 1 : i);
                if (reserved == 2 && i == 5) entry.Reserve(count + 20);
                const SymbolVariable& added = entry.Add({name, i % 3 == 2 ? "BOOL" : "DINT", "VAR"});
                if (i % 3 != 2) first.push_back(&added);
                // Every lookup is right after every addition, on both sides of the change.
                for (const SymbolVariable* expected : first)
                    ASSERT_EQ(entry.Find(expected->name), expected) << count << " " << reserved << " " << i;
                ASSERT_EQ(entry.Find("v" + std::to_string(count + 1)), nullptr);
                ASSERT_EQ(entry.Find(""), nullptr);
            }
            ASSERT_EQ(entry.Variables().size(), count);
            for (size_t i = 0, k = 0; i < count; ++i) {
                if (i % 3 != 2) {
                    EXPECT_EQ(entry.Variables()[i], first[k++]);
                }
            }
        }
    }
}

}  // namespace
}  // namespace pontra
