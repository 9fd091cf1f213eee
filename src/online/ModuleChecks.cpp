// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ModuleChecks.h"

#include <array>

namespace pontra {

namespace {

bool Is(int value, std::initializer_list<int> any) {
    for (int v : any)
        if (value == v) return true;
    return false;
}

// One row per controller type, in the order the names are looked up.
constexpr std::array kRules = {
    ModuleIdentityRule{"Brindle", 1, false, false, "Brindle", [](int t, int, int) { return t == 2; }},
    ModuleIdentityRule{"Vessa", 0, false, false, "Vessa in PLC Mode",
                       [](int t, int m, int) { return (t == 0 || t == 3) && m == 2; }},
    ModuleIdentityRule{"Vessa-Lite", 9, false, false, "Vessa-Lite in PLC Mode",
                       [](int t, int m, int) { return t == 13 && m == 2; }},
    ModuleIdentityRule{"Aldera", 2, false, false, "Aldera",
                       [](int t, int m, int) { return t == 7 && m == 0; }},
    ModuleIdentityRule{"VessaK1", 3, true, true, "VessaK1 in PLC Mode",
                       [](int t, int m, int v) {
                           return t == 9 && m == 2 && Is(v, {0x91, 0x95});
                       }},
    ModuleIdentityRule{"VessaK2", 5, true, true, "VessaK2 in PLC Mode",
                       [](int t, int m, int v) {
                           return t == 9 && m == 2 && Is(v, {0x95, 0x96, 0x98, 0x99});
                       }},
    ModuleIdentityRule{"KTX-310-0", 7, true, true, "KTX-310-0 in PLC Mode",
                       [](int t, int m, int v) { return t == 9 && m == 2 && v == 0x97; }},
    ModuleIdentityRule{"KTX-310-B", 10, true, false, "KTX-310-B in PLC Mode",
                       [](int t, int m, int v) { return t == 3 && m == 2 && v == 0x37; }},
    ModuleIdentityRule{"Kormo", 4, true, false, "Kormo in PLC Mode",
                       [](int t, int m, int v) { return t == 0 && m == 2 && (v & 0x0F) == 4; }},
    ModuleIdentityRule{"Vessa-IX", 6, true, false, "Vessa-IX",
                       [](int t, int, int v) {
                           return t == 12 && Is(v, {0xC1, 0xC5});
                       }},
    ModuleIdentityRule{"KTI-8-0", 8, true, false, "KTI-8-0",
                       [](int t, int, int v) { return t == 12 && v == 0xC7; }},
    ModuleIdentityRule{"Oskel", 11, false, false, "Oskel", [](int t, int, int) { return t == 4; }},
    ModuleIdentityRule{"VessaK2/K3-48V", 12, true, false, "VessaK2/K3-48V in PLC Mode",
                       [](int t, int m, int v) { return t == 10 && m == 2 && (v & 0xA0) == 0xA0; }},
    ModuleIdentityRule{"VessaK3", 13, true, false, "VessaK3 in PLC Mode",
                       [](int t, int m, int v) {
                           return t == 9 && m == 2 && Is(v, {0x98, 0x99});
                       }},
    ModuleIdentityRule{"KTX-310-1", 14, true, false, "KTX-310-1 in PLC Mode",
                       [](int t, int m, int v) { return t == 9 && m == 2 && v == 0x9A; }},
};

} // namespace

const ModuleIdentityRule* FindIdentityRule(std::string_view controllerType) {
    for (const auto& rule : kRules)
        if (rule.type == controllerType) return &rule;
    return nullptr;
}

const ModuleIdentityRule& ListIdentityRule(std::string_view controllerType) {
    const ModuleIdentityRule* rule = FindIdentityRule(controllerType);
    return rule ? *rule : *FindIdentityRule("Vessa");
}

std::string IdentityRefusal(const ModuleIdentityRule& rule, const std::string& ip) {
    return "Type of module with IP: " + ip + " is not " + std::string(rule.refusal) + "!";
}

std::string ListIdentityRefusal(const ModuleIdentityRule& rule) {
    return "Type of module is not " + std::string(rule.refusal);
}

bool FirmwareBelow412(uint16_t register25) {
    const uint32_t high = register25 >> 8, low = register25 & 0xFF;
    return high * 1000u + low - 100000u < 4012u;
}

uint32_t ProgramMemoryLimit(uint16_t register511) {
    return 16384u + 8192u * ((register511 >> 9) & 3u);
}

ModuleCheck CheckModuleIdentity(const ModuleIdentityRule& rule, int typeCode, int mode, bool restrictedRead,
                                const std::function<std::optional<uint16_t>(int reg)>& read) {
    int variant = 0;
    if (rule.readsVariant) {
        const auto value = read(6);
        if (!value) return ModuleCheck::ReadFailed;
        variant = *value;
    }
    if (!rule.accepts(typeCode, mode, variant)) return ModuleCheck::WrongType;
    if (rule.firmwareCheck) {
        const auto firmware = read(25);
        if (!firmware) return ModuleCheck::ReadFailed;
        if (FirmwareBelow412(*firmware) && restrictedRead) return ModuleCheck::FirmwareTooOld;
    }
    return ModuleCheck::Passed;
}

} // namespace pontra
