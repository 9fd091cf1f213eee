// SPDX-License-Identifier: GPL-3.0-or-later
// Runs hand-assembled images on the ladder machine in process, with a fake clock.
#pragma once

#include <gtest/gtest.h>

#include <map>

#include "sim/LadderMachine.h"
#include "sim/ImageAssembler.h"

namespace pontra::sim::test {

class FakeRegisters : public RegisterAccess {
public:
    std::map<uint32_t, uint16_t> values;
    uint16_t ReadRegister(uint32_t n) override { return values.count(n) ? values[n] : 0; }
    void WriteRegister(uint32_t n, uint16_t v) override { values[n] = v; }
};

class MachineTest : public ::testing::Test {
protected:
    Image img;
    FakeRegisters registers;
    LadderMachine m{"Vessa", &registers};
    uint64_t now = 1000;

    void Load() {
        m.Load(img.Bytes());
        ASSERT_TRUE(m.Runnable()) << "header " << m.HeaderError() << ", prescan " << m.Error().code << " at "
                                  << m.Error().pc;
    }
    // One scan, `ms` after the previous one.
    bool Scan(uint64_t ms = 10) {
        now += ms;
        return m.Scan(now);
    }
    bool Bit(uint32_t a, int b) const { return (m.Tags()[a + b / 8] >> (b % 8)) & 1; }
    void SetBit(uint32_t a, int b, bool v) {
        auto& byte = m.Tags()[a + b / 8];
        byte = static_cast<uint8_t>(v ? byte | 1 << (b % 8) : byte & ~(1 << (b % 8)));
    }
    int32_t Get(uint32_t a, int width = 4) const {
        uint32_t v = 0;
        for (int i = 0; i < width; ++i) v |= static_cast<uint32_t>(m.Tags()[a + i]) << (8 * i);
        if (width == 1) return static_cast<int8_t>(v);
        if (width == 2) return static_cast<int16_t>(v);
        return static_cast<int32_t>(v);
    }
    void Set(uint32_t a, int32_t v, int width = 4) {
        for (int i = 0; i < width; ++i) m.Tags()[a + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
    }
};

}  // namespace pontra::sim::test
