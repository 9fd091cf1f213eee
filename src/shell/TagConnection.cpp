// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TagConnection.h"

#include <charconv>

#include "model/Tag.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

constexpr ConnectionItem kProduced[] = {{"Accumulate/Release Up", 104},
                                        {"Accumulate/Release Down", 184},
                                        {"Infeed", 134},
                                        {"Discharge", 232},
                                        {"Register Number", 0}};
constexpr ConnectionItem kConsumed[] = {{"Accumulate/Release Up", 106},
                                        {"Accumulate/Release Down", 186},
                                        {"Upstream Zone", 116},
                                        {"Downstream Zone", 196},
                                        {"Register Number", 0}};
constexpr int kRegisterNumberItem = 4;

// The module's registers: 1-512, and from 1100 up to what the 16-bit parameter holds.
constexpr long kLowRegisterLast = 512;
constexpr long kHighRegisterFirst = 1100;
constexpr long kRegisterMax = 0xFFFF;

int MatchingItem(ConnectionChoice choice, long registerNumber) {
    const auto items = ConnectionItems(choice);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].registerNumber != 0 && items[i].registerNumber == registerNumber) return static_cast<int>(i);
    return items.empty() ? -1 : kRegisterNumberItem;
}

// The field's text as a decimal number; -1 when it is none.
long RegisterValue(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos) return -1;
    long value = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return -1;
    return value;
}

}  // namespace

std::span<const ConnectionItem> ConnectionItems(ConnectionChoice choice) {
    switch (choice) {
        case ConnectionChoice::Produced: return kProduced;
        case ConnectionChoice::Consumed: return kConsumed;
        case ConnectionChoice::NotUsed: break;
    }
    return {};
}

ConnectionDialog::ConnectionDialog(const CTag& slot) : address(slot.connectionWord) {
    if (slot.connectionKind == kConnProduced) choice = ConnectionChoice::Produced;
    else if (slot.connectionKind == kConnConsumed) choice = ConnectionChoice::Consumed;
    registerText = std::to_string(slot.connectionParam);
    item = MatchingItem(choice, slot.connectionParam);
}

bool ConnectionDialog::RegisterEnabled() const { return choice != ConnectionChoice::NotUsed && item == kRegisterNumberItem; }

void ConnectionDialog::Choose(ConnectionChoice newChoice) {
    if (newChoice == choice) return;
    choice = newChoice;
    const long number = RegisterValue(registerText);
    item = MatchingItem(choice, number);
    if (item == kRegisterNumberItem && number <= 0) ChooseItem(0);
}

void ConnectionDialog::ChooseItem(int index) {
    const auto items = ConnectionItems(choice);
    if (index < 0 || index >= static_cast<int>(items.size())) return;
    item = index;
    if (items[static_cast<size_t>(index)].registerNumber != 0)
        registerText = std::to_string(items[static_cast<size_t>(index)].registerNumber);
}

bool ConnectionDialog::Apply(CMainFrame& frame, CTag& slot) const {
    if (slot.connectionKind == kConnNone || !PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    const uint8_t oldKind = slot.connectionKind;
    const uint32_t oldWord = slot.connectionWord;
    const uint16_t oldParam = slot.connectionParam;
    if (choice == ConnectionChoice::NotUsed) {
        slot.connectionKind = kConnNotUsed;
        slot.connectionWord = 0;
        slot.connectionParam = 0;
    } else {
        if (address == 0) {
            frame.host().Message("IP Address can't be 0.0.0.0!");
            return false;
        }
        const long number = RegisterValue(registerText);
        if (number < 1 || (number > kLowRegisterLast && number < kHighRegisterFirst) || number > kRegisterMax) {
            frame.host().Message(
                "Register number must be in range from 1 up to 512 or greater or eqial than 1100!");
            return false;
        }
        slot.connectionWord = address;
        slot.connectionParam = static_cast<uint16_t>(number);
        slot.connectionKind = choice == ConnectionChoice::Produced ? kConnProduced : kConnConsumed;
    }
    if (slot.connectionKind != oldKind || slot.connectionWord != oldWord || slot.connectionParam != oldParam) {
        frame.SetModified(true);
        frame.host().Repaint();
    }
    return true;
}

}  // namespace pontra
