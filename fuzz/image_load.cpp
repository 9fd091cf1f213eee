// SPDX-License-Identifier: GPL-3.0-or-later
// Program images as the module loads them: any bytes through the header check and the
// prescan; what passes runs a few scans.
#include <cstddef>
#include <cstdint>
#include <map>

#include "FuzzSupport.h"
#include "sim/LadderMachine.h"

using namespace pontra::sim;

namespace {

class Registers : public RegisterAccess {
public:
    uint16_t ReadRegister(uint32_t number) override { return values.count(number) ? values[number] : 0; }
    void WriteRegister(uint32_t number, uint16_t value) override {
        if (values.size() < 64 || values.count(number)) values[number] = value;
    }
    std::map<uint32_t, uint16_t> values;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pontra::fuzz::HeapBudget budget(size, 16, 1 << 20);
    Registers registers;
    LadderMachine machine("Vessa", &registers);
    // A looping program stops at the watchdog; a low one keeps each input quick.
    machine.SetInstructionLimit(20000);
    machine.Load({data, size});
    if (!machine.Runnable()) return 0;
    const size_t tagSize = machine.Tags().size();
    machine.Start();
    for (uint64_t now = 0; now < 50 && machine.Scan(now); now += 10) {}
    FUZZ_CHECK(machine.Tags().size() == tagSize, "tag memory keeps its size");
    return 0;
}
