// SPDX-License-Identifier: GPL-3.0-or-later
// The archive primitives: the three text-length forms, and a reader that never reads or
// allocates past the end of its bytes.
#include <gtest/gtest.h>

#include "files/Archive.h"

namespace pontra {
namespace {

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t n) { return {bytes.begin(), bytes.begin() + n}; }

TEST(Archive, TextLengthFormsAtEveryBoundary) {
    struct Case {
        size_t length;
        std::vector<uint8_t> prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {300, {0xFF, 0x2C, 0x01}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text(c.length, 'x');
        ArchiveWriter out;
        out.Text(text);
        ASSERT_EQ(out.Bytes().size(), c.prefix.size() + c.length);
        EXPECT_EQ(Prefix(out.Bytes(), c.prefix.size()), c.prefix);
        ArchiveReader in(out.Bytes());
        EXPECT_EQ(in.Text(), text);
        EXPECT_TRUE(in.Ok());
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(Archive, ReaderAcceptsLongerLengthFormsThanNeeded) {
    const std::vector<uint8_t> u16Form{0xFF, 0x02, 0x00, 'o', 'k'};
    const std::vector<uint8_t> u32Form{0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'o', 'k'};
    for (const auto& bytes : {u16Form, u32Form}) {
        ArchiveReader in(bytes);
        EXPECT_EQ(in.Text(), "ok");
        EXPECT_TRUE(in.Ok());
    }
}

TEST(Archive, LengthsAndCountsMustFitTheBytesLeft) {
    const std::vector<uint8_t> shortText{0x05, 'a', 'b'};
    ArchiveReader text(shortText);
    EXPECT_EQ(text.Text(), "");
    EXPECT_EQ(text.Error(), "a text of 5 characters does not fit the 2 bytes left (at byte 1)");
    EXPECT_EQ(text.U32(), 0u);  // later reads fail too and keep the first message
    EXPECT_EQ(text.Error(), "a text of 5 characters does not fit the 2 bytes left (at byte 1)");
    const std::vector<uint8_t> wide{0xFF, 0xFE, 0xFF, 0x01};
    ArchiveReader marker(wide);
    marker.Text();
    EXPECT_FALSE(marker.Ok());

    ArchiveWriter out;
    out.U32(3);
    for (int i = 0; i < 3; ++i) out.U32(7);
    {
        ArchiveReader in(out.Bytes());
        EXPECT_EQ(in.Count(4, "values"), 3u);
        EXPECT_TRUE(in.Ok());
    }
    {
        ArchiveReader in(out.Bytes());
        EXPECT_EQ(in.Count(5, "records"), 0u);
        EXPECT_EQ(in.Error(), "a list of 3 records does not fit the 12 bytes left (at byte 4)");
    }
    ArchiveWriter huge;
    huge.U32(0xFFFFFFFF);
    ArchiveReader in(huge.Bytes());
    EXPECT_EQ(in.Count(1, "tags"), 0u);
    EXPECT_FALSE(in.Ok());
}

}  // namespace
}  // namespace pontra
