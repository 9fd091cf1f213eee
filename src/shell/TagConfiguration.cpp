// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TagConfiguration.h"

#include "model/Project.h"
#include "model/Tag.h"
#include "model/ValueStyle.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"
#include "shell/TagRules.h"

namespace pontra {

namespace {

int ChoiceIndex(const CTag& member, std::string_view text) {
    for (size_t i = 0; i < member.choiceTexts.size(); ++i)
        if (member.choiceTexts[i] == text) return static_cast<int>(i);
    return -1;
}

std::string Decimal(uint32_t value) { return std::to_string(static_cast<int32_t>(value)); }

uint32_t ChoiceValue(const CTag& member, size_t index) {
    return index < member.choiceValues.size() ? member.choiceValues[index] : 0;
}

// Parses a value of the member's type in decimal; the range message when it does not fit.
bool ParseMemberValue(const CTag& member, const std::string& text, int32_t& value, std::string& message) {
    int width = StyleWidth(member.dataType);
    if (width == 0) width = 32;
    return ParseValue(width, "Decimal", text, value, message);
}

void SetChoice(CTag& member, std::string_view text, uint32_t value, bool first) {
    const int index = ChoiceIndex(member, text);
    if (index >= 0) {
        if (member.choiceValues.size() < member.choiceTexts.size()) member.choiceValues.resize(member.choiceTexts.size());
        member.choiceValues[static_cast<size_t>(index)] = value;
    } else if (first) {
        member.choiceTexts.insert(member.choiceTexts.begin(), std::string(text));
        member.choiceValues.insert(member.choiceValues.begin(), value);
    } else {
        member.choiceTexts.emplace_back(text);
        member.choiceValues.push_back(value);
    }
}

void RemoveChoice(CTag& member, std::string_view text) {
    const int index = ChoiceIndex(member, text);
    if (index < 0) return;
    member.choiceTexts.erase(member.choiceTexts.begin() + index);
    if (index < static_cast<int>(member.choiceValues.size()))
        member.choiceValues.erase(member.choiceValues.begin() + index);
}

// The configuration instance of the main program carries the members' settings too.
void MemberChanged(CMainFrame& frame) {
    RefreshInstances(frame.project(), frame.project().configTypeName);
    frame.SetModified(true);
    frame.host().Repaint();
}

// Two value texts name the same value: equal numbers when both are numbers, else equal texts.
bool SameValue(const std::string& a, const std::string& b) {
    int32_t x = 0, y = 0;
    std::string message;
    if (ParseValue(32, "Decimal", a, x, message) && ParseValue(32, "Decimal", b, y, message)) return x == y;
    return a == b;
}

}  // namespace

NumberLimits CurrentLimits(const CTag& member) {
    NumberLimits limits;
    if (const int i = ChoiceIndex(member, "Min"); i >= 0) limits.min = Decimal(ChoiceValue(member, static_cast<size_t>(i)));
    if (const int i = ChoiceIndex(member, "Max"); i >= 0) limits.max = Decimal(ChoiceValue(member, static_cast<size_t>(i)));
    return limits;
}

bool EditNumberLimits(CMainFrame& frame, CTag& member, const NumberLimits& limits) {
    if (member.configMode != kConfigRange || !PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    int32_t min = 0, max = 0;
    std::string message;
    if (!limits.min.empty() && !ParseMemberValue(member, limits.min, min, message)) {
        frame.host().Message(message);
        return false;
    }
    if (!limits.max.empty() && !ParseMemberValue(member, limits.max, max, message)) {
        frame.host().Message(message);
        return false;
    }
    if (!limits.min.empty() && !limits.max.empty() && min >= max) {
        frame.host().Message("Max Value must be greater than Min Value!");
        return false;
    }
    if (limits.min.empty()) RemoveChoice(member, "Min");
    else SetChoice(member, "Min", static_cast<uint32_t>(min), true);
    if (limits.max.empty()) RemoveChoice(member, "Max");
    else SetChoice(member, "Max", static_cast<uint32_t>(max), false);
    MemberChanged(frame);
    return true;
}

SelectionDialog::SelectionDialog(const CTag& member) : header_(member.name + ": " + member.dataType) {
    for (size_t i = 0; i < member.choiceTexts.size(); ++i)
        rows.push_back({member.choiceTexts[i], Decimal(ChoiceValue(member, i))});
}

std::string SelectionDialog::StringRefusal(int row, const std::string& text, const std::string& value) const {
    if (text.empty()) return "String can not be empty!";
    if (value.empty()) return "Value can not be empty!";
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        if (i != row && rows[static_cast<size_t>(i)].text == text) return "String '" + text + "' is already exist!";
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        if (i != row && SameValue(rows[static_cast<size_t>(i)].value, value))
            return "String with value '" + value + "' is already exist!";
    return {};
}

bool SelectionDialog::Add(Host& host, const std::string& text, const std::string& value) {
    if (std::string refusal = StringRefusal(-1, text, value); !refusal.empty()) {
        host.Message(refusal);
        return false;
    }
    rows.push_back({text, value});
    selected = static_cast<int>(rows.size()) - 1;
    return true;
}

bool SelectionDialog::Edit(Host& host, int row, const std::string& text, const std::string& value) {
    if (row < 0 || row >= static_cast<int>(rows.size())) return false;
    if (std::string refusal = StringRefusal(row, text, value); !refusal.empty()) {
        host.Message(refusal);
        return false;
    }
    rows[static_cast<size_t>(row)] = {text, value};
    selected = row;
    return true;
}

bool SelectionDialog::Delete(int row) {
    if (row < 0 || row >= static_cast<int>(rows.size())) return false;
    rows.erase(rows.begin() + row);
    if (selected >= static_cast<int>(rows.size())) selected = static_cast<int>(rows.size()) - 1;
    return true;
}

bool SelectionDialog::Apply(CMainFrame& frame, CTag& member) {
    if (member.configMode != kConfigChoice || !PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    std::vector<uint32_t> values;
    for (size_t i = 0; i < rows.size(); ++i) {
        int32_t value = 0;
        std::string message;
        if (!ParseMemberValue(member, rows[i].value, value, message)) {
            selected = static_cast<int>(i);
            frame.host().Message(message);
            return false;
        }
        values.push_back(static_cast<uint32_t>(value));
    }
    member.choiceTexts.clear();
    for (const Row& row : rows) member.choiceTexts.push_back(row.text);
    member.choiceValues = std::move(values);
    MemberChanged(frame);
    return true;
}

}  // namespace pontra
