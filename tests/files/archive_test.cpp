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

TEST(Archive, WordsAreLittleEndian) {
    ArchiveWriter out;
    out.U8(0x83);
    out.U16(0x1234);
    out.U32(0xA1B2C3D4);
    out.I32(-2);
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{0x83, 0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 0xFE, 0xFF, 0xFF, 0xFF}));
    ArchiveReader in(out.Bytes());
    EXPECT_EQ(in.U8(), 0x83);
    EXPECT_EQ(in.U16(), 0x1234);
    EXPECT_EQ(in.U32(), 0xA1B2C3D4u);
    EXPECT_EQ(in.I32(), -2);
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

TEST(Archive, DamagedInputFailsOnceWithItsPlace) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string error;
    };
    const Case cases[] = {
        {"text longer than the rest", {0x05, 'a', 'b'}, "a text of 5 characters does not fit the 2 bytes left (at byte 1)"},
        {"u32 length beyond the rest", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "does not fit the 0 bytes left"},
        {"length marker 0xFFFE", {0xFF, 0xFE, 0xFF, 0x01}, "0xFFFE"},
        {"u16 length cut", {0xFF, 0x01}, "the file ends inside a 16-bit field"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveReader in(c.bytes);
        EXPECT_EQ(in.Text(), "");
        EXPECT_FALSE(in.Ok());
        EXPECT_NE(in.Error().find(c.error), std::string::npos) << in.Error();
        const std::string first = in.Error();
        EXPECT_EQ(in.U32(), 0u);  // later reads neither succeed nor replace the first message
        EXPECT_EQ(in.Error(), first);
    }
}

TEST(Archive, CountsMustFitTheBytesLeft) {
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
