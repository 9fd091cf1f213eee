// SPDX-License-Identifier: GPL-3.0-or-later
// What a module must be before a program goes to it: the identity rule of each
// controller type (module type code, operating mode, hardware variant), the firmware
// needed by Read Register instructions on the restricted registers, and the program
// memory the module offers. The single download and the list download share them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pontra {

struct ModuleIdentityRule {
    std::string_view type;    // controller type name
    int listCode;             // the number the list download passes to its workers
    bool readsVariant;        // register 6 is read only for these rows
    bool firmwareCheck;       // register 25 is read and checked for these rows
    std::string_view refusal; // what the module is not: "Vessa in PLC Mode", "Oskel"
    bool (*accepts)(int typeCode, int mode, int variant);
};

// The row of a controller type, or null for a name outside the table (which passes a
// single download unchecked).
const ModuleIdentityRule* FindIdentityRule(std::string_view controllerType);

// The list download's row: by the type's list code, any name outside the table being
// checked as Vessa.
const ModuleIdentityRule& ListIdentityRule(std::string_view controllerType);

// "Type of module with IP: %s is not ...!" for a single download.
std::string IdentityRefusal(const ModuleIdentityRule& rule, const std::string& ip);
// "Type of module is not ..." for a list download's result line.
std::string ListIdentityRefusal(const ModuleIdentityRule& rule);

inline constexpr const char* kFirmwareRefusal =
    "Read Register instruction from registers 10000 up to 10030 or 10100 up to 10130 is suported in Firmware "
    "version 4.12 or higher";

// Register 25 (high byte 100 + major, low byte minor) names a firmware below 4.12. The
// difference is unsigned, as the modules' tools compute it: a high byte below 100 wraps
// and passes.
bool FirmwareBelow412(uint16_t register25);

// Program memory in bytes from register 511 (bits 9-10: 16384, 24576, 32768, 40960).
uint32_t ProgramMemoryLimit(uint16_t register511);

enum class ModuleCheck { Passed, ReadFailed, WrongType, FirmwareTooOld };

// Checks a module against a row: register 6 when the row names the variant, then the
// row's condition, then register 25 for the rows with the firmware check (too old only
// matters when the program reads restricted registers). `read` gives one register or
// none when the read failed.
ModuleCheck CheckModuleIdentity(const ModuleIdentityRule& rule, int typeCode, int mode, bool restrictedRead,
                                const std::function<std::optional<uint16_t>(int reg)>& read);

} // namespace pontra
