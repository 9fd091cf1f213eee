// SPDX-License-Identifier: GPL-3.0-or-later
// The "Connection Tag" dialog of a controller connection slot (Tag1-Tag4): not used, or
// produced to / consumed from a peer module at an address, through a register that a
// "From/To" item stands for or that the person types.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pontra {

class CMainFrame;
class CTag;

enum class ConnectionChoice { NotUsed, Produced, Consumed };

struct ConnectionItem {
    const char* text;
    int registerNumber;  // 0 for "Register Number": the person types it
};

// The five "From/To" items of a kind (none for NotUsed); the last is "Register Number".
std::span<const ConnectionItem> ConnectionItems(ConnectionChoice choice);

class ConnectionDialog {
public:
    // Opening: the slot's kind, address and register; an item whose register matches is
    // chosen, else "Register Number" with the number in the field.
    explicit ConnectionDialog(const CTag& slot);

    ConnectionChoice choice = ConnectionChoice::NotUsed;
    uint32_t address = 0;      // first octet in the highest byte
    int item = -1;             // index into ConnectionItems(choice); -1 while not used
    std::string registerText;  // "Register number:"

    // The number field takes input only while "Register Number" is chosen.
    bool RegisterEnabled() const;
    // Switching kind keeps the register when one of the new kind's items stands for it;
    // a slot that had none starts with the first item.
    void Choose(ConnectionChoice newChoice);
    // Choosing an item other than "Register Number" puts its register into the field.
    void ChooseItem(int index);

    // OK: checks the address and the register and stores them in the slot. A refusal is
    // shown and the dialog stays open (false).
    bool Apply(CMainFrame& frame, CTag& slot) const;
};

}  // namespace pontra
