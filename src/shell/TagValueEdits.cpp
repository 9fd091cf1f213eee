// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TagValueEdits.h"

#include <algorithm>

#include "model/Types.h"
#include "model/ValueStyle.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"

namespace pontra {

std::vector<std::string_view> StylesFor(std::string_view type) {
    bool dint = type == "DINT";
    if (!IsElementary(type)) {
        const auto array = ParseArrayType(type);
        if (!array || !IsElementary(array->element)) return {};
        dint = array->element == "DINT";
    }
    std::vector<std::string_view> styles{"Decimal", "Binary", "Octal", "Hex"};
    if (dint) styles.push_back("IP Address");
    return styles;
}

bool EditInitialValue(CMainFrame& frame, CTag& tag, const std::string& text) {
    const int width = StyleWidth(tag.dataType);
    if (width == 0 || !PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    int32_t value = 0;
    std::string message;
    if (!ParseValue(width, tag.style, text, value, message)) {
        frame.host().Message(message);
        return false;
    }
    if (width == 1) value &= 1;
    tag.initialValue = std::to_string(value);
    for (auto& member : tag.members) {
        const std::string_view name = member->name;
        const size_t dot = name.rfind('.');
        if (dot == std::string_view::npos || member->dataType != "BOOL") continue;
        const int bit = DecimalToInt(name.substr(dot + 1));
        if (bit < 0 || bit >= width) continue;
        const bool set = (static_cast<uint32_t>(value) >> bit) & 1u;
        member->initialValue.assign(1, set ? '1' : '0');
    }
    frame.SetModified(true);
    return true;
}

namespace {
void ApplyStyle(CTag& tag, std::string_view element, const std::string& style) {
    tag.style = style;
    for (auto& member : tag.members)
        if (member->dataType == element || ParseArrayType(member->dataType)) ApplyStyle(*member, element, style);
}
}  // namespace

bool EditTagStyle(CMainFrame& frame, CTag& tag, const std::string& style) {
    const auto styles = StylesFor(tag.dataType);
    if (std::find(styles.begin(), styles.end(), style) == styles.end()) return false;
    if (!PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    const auto array = ParseArrayType(tag.dataType);
    ApplyStyle(tag, array ? array->element : tag.dataType, style);
    frame.SetModified(true);
    return true;
}

}  // namespace pontra
