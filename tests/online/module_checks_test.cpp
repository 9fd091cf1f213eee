// SPDX-License-Identifier: GPL-3.0-or-later
// The identity rules, the firmware rule, the program memory limit, the image size walk
// and the size check, without a module.
#include <gtest/gtest.h>

#include "online/ImageSize.h"
#include "online/ModuleChecks.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

using Registers = std::map<int, uint16_t>;

ModuleCheck Check(const std::string& type, int typeCode, int mode, Registers registers,
                  bool restricted = false, std::vector<int>* read = nullptr) {
    return CheckModuleIdentity(*FindIdentityRule(type), typeCode, mode, restricted,
                               [&](int reg) -> std::optional<uint16_t> {
                                   if (read) read->push_back(reg);
                                   auto it = registers.find(reg);
                                   if (it == registers.end()) return std::nullopt;
                                   return it->second;
                               });
}

TEST(ModuleChecks, EachRowAcceptsItsModuleAndRefusesItsNeighbours) {
    const auto pass = ModuleCheck::Passed, wrong = ModuleCheck::WrongType;
    struct Case {
        const char* type;
        int typeCode, mode, variant;
        ModuleCheck expected;
    } cases[] = {
        // clang-format off
        {"Brindle", 2, 7, 0, pass},             {"Brindle", 3, 2, 0, wrong},
        {"Vessa", 0, 2, 0, pass},               {"Vessa", 3, 2, 0, pass},
        {"Vessa", 0, 1, 0, wrong},              {"Vessa", 9, 2, 0, wrong},
        {"Vessa-Lite", 13, 2, 0, pass},         {"Aldera", 7, 0, 0, pass},
        {"Aldera", 7, 2, 0, wrong},             {"VessaK1", 9, 2, 0x95, pass},
        {"VessaK1", 9, 2, 0x96, wrong},         {"VessaK2", 9, 2, 0x99, pass},
        {"VessaK2", 9, 2, 0x97, wrong},         {"KTX-310-0", 9, 2, 0x97, pass},
        {"KTX-310-B", 3, 2, 0x37, pass},        {"KTX-310-B", 3, 2, 0x38, wrong},
        {"Kormo", 0, 2, 0x1234, pass},          {"Kormo", 0, 2, 0x05, wrong},
        {"Vessa-IX", 12, 0, 0xC5, pass},        {"KTI-8-0", 12, 2, 0xC1, wrong},
        {"Oskel", 4, 0, 0, pass},               {"VessaK2/K3-48V", 10, 2, 0x1A0, pass},
        {"VessaK2/K3-48V", 10, 2, 0x80, wrong}, {"VessaK3", 9, 2, 0x98, pass},
        {"VessaK3", 9, 2, 0x95, wrong},         {"KTX-310-1", 9, 2, 0x9A, pass},
        // clang-format on
    };
    for (const Case& c : cases)
        EXPECT_EQ(Check(c.type, c.typeCode, c.mode, {{6, c.variant}, {25, 0x680C}}), c.expected)
            << c.type << " " << c.typeCode << "/" << c.mode << "/" << c.variant;
}

TEST(ModuleChecks, RegistersAreReadOnlyAsTheRowNeedsThem) {
    std::vector<int> read;
    Check("Vessa", 0, 2, {}, false, &read);
    EXPECT_TRUE(read.empty());
    Check("KTX-310-B", 3, 2, {{6, 0x37}}, false, &read);
    EXPECT_EQ(read, std::vector<int>{6});
    read.clear();
    EXPECT_EQ(Check("VessaK1", 9, 2, {{6, 0x91}}, false, &read), ModuleCheck::ReadFailed)
        << "register 25 unreadable";
    EXPECT_EQ(read, (std::vector<int>{6, 25}));
    EXPECT_EQ(Check("Kormo", 0, 2, {}), ModuleCheck::ReadFailed);
}

TEST(ModuleChecks, FirmwareRule) {
    struct Case {
        uint16_t reg25;
        bool restricted;
        ModuleCheck expected;
    } cases[] = {
        {0x680B, true, ModuleCheck::FirmwareTooOld}, // 4.11
        {0x680C, true, ModuleCheck::Passed},         // 4.12
        {0x680B, false, ModuleCheck::Passed},        // old firmware, no restricted register read
        {0x6700, true, ModuleCheck::FirmwareTooOld}, // 3.0
        {0x630C, true, ModuleCheck::Passed},         // high byte below 100: the difference wraps
        {0x0000, true, ModuleCheck::Passed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Check("VessaK2", 9, 2, {{6, 0x95}, {25, c.reg25}}, c.restricted), c.expected)
            << std::hex << c.reg25;
    EXPECT_EQ(Check("VessaK3", 9, 2, {{6, 0x98}, {25, 0x6700}}, true), ModuleCheck::Passed)
        << "no firmware check";
}

TEST(ModuleChecks, ListDownloadRowsAndMemoryLimit) {
    // A name outside the table passes a single download but is checked as Vessa in a list.
    EXPECT_EQ(FindIdentityRule("Zone-9"), nullptr);
    EXPECT_EQ(ListIdentityRule("Zone-9").type, "Vessa");
    EXPECT_EQ(ListIdentityRefusal(*FindIdentityRule("Oskel")), "Type of module is not Oskel");
    EXPECT_EQ(ListIdentityRefusal(ListIdentityRule("KTX-310-1")),
              "Type of module is not KTX-310-1 in PLC Mode");
    EXPECT_EQ(ProgramMemoryLimit(0x0200), 24576u);
    EXPECT_EQ(ProgramMemoryLimit(0xFFFF), 40960u) << "only bits 9-10 count";
}

std::vector<uint8_t> Image(uint32_t code, uint32_t tags, std::vector<uint8_t> sections) {
    std::vector<uint8_t> bytes(180 + code + tags, 0);
    for (int i = 0; i < 4; ++i) {
        bytes[48 + i] = static_cast<uint8_t>(code >> (8 * i));
        bytes[56 + i] = static_cast<uint8_t>(tags >> (8 * i));
    }
    bytes.insert(bytes.end(), sections.begin(), sections.end());
    return bytes;
}

TEST(ImageSize, WalksTheSectionsAfterTheTags) {
    TempDir dir;
    const std::string path = dir.File("image.bin");
    struct Case {
        std::vector<uint8_t> sections;
        uint64_t size;
    } cases[] = {
        {{}, 180 + 8 + 400},
        {{1, 3, 0, 'a', 'b', 'c'}, 180 + 8 + 400 + 6},                   // name section
        {{2, 8, 0, 0, 0, 9, 9, 9, 9, 1, 1, 0, 'x'}, 180 + 8 + 400 + 13}, // configuration, then name
        {{2, 0xFF, 0xFF, 0, 0, 1}, 180 + 8 + 400 + 1 + 0xFFFF},          // a length beyond the file
        {{1}, 180 + 8 + 400},                                            // one byte left is no section
    };
    for (const Case& c : cases) {
        WriteBytes(path, Image(8, 400, c.sections));
        const auto size = MeasureImage(path);
        ASSERT_TRUE(size);
        EXPECT_EQ(size->size, c.size) << ::testing::PrintToString(c.sections);
        EXPECT_EQ(size->tagsSize, 400u);
    }
    WriteBytes(path, std::vector<uint8_t>(100, 0));
    EXPECT_FALSE(MeasureImage(path)) << "shorter than a header";
    EXPECT_FALSE(MeasureImage(dir.File("missing.bin")));
}

TEST(ImageSize, FitsProgramMemoryWithItsCrc) {
    struct Case {
        uint64_t size;
        uint32_t limit;
        bool fits;
    } cases[] = {
        {16382, 16384, true},  {16383, 16384, false}, {40958, 40960, true},
        {40959, 40960, false}, {0, 16384, true},      {uint64_t{1} << 32, 40960, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitsProgramMemory(c.size, c.limit), c.fits) << c.size << " in " << c.limit;
}

} // namespace
} // namespace pontra
