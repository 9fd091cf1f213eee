// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StHoverTip.h"

#include <charconv>

#include "build/OperandScope.h"
#include "model/CompilerQuirks.h"
#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"

namespace pontra {

namespace {

constexpr const char* kStructured = "{...}";
constexpr const char* kUnknown = "???";

UnitScope TagsOf(const HoverContext& context, CUnit& unit) {
    return UnitScope{context.project, &unit, {&unit.tags}, nullptr, {}};
}

std::optional<long long> IndexValue(const HoverContext& context, const UnitScope& scope,
                                    std::string_view index) {
    if (auto constant = ConstantIndex(index)) return constant;
    const CTag* tag = FindOperandTag(scope, index).tag;
    if (!tag || !IsElementary(tag->dataType)) return std::nullopt;
    if (!context.debug) return DecimalToInt(tag->initialValue);
    if (context.instanceBase == -1 || !context.live) return std::nullopt;
    const std::optional<std::string> text = context.live->LiveValueText(*tag, context.instanceBase);
    long long value = 0;
    if (!text || std::from_chars(text->data(), text->data() + text->size(), value).ec != std::errc())
        return std::nullopt;
    return value;
}

std::optional<HoverVariable> ResolveElement(const HoverContext& context, const UnitScope& scope,
                                            std::string_view text) {
    const std::optional<ArrayOperand> operand = ParseArrayOperand(text);
    if (!operand) return std::nullopt;
    const CTag* array = FindOperandTag(scope, operand->name).tag;
    if (!array) return std::nullopt;
    const std::optional<ArrayType> type = ParseArrayType(array->dataType);
    if (!type || operand->indexes.size() != (type->dim2 ? 2u : 1u)) return std::nullopt;
    std::string name = array->name + "[";
    for (size_t k = 0; k < operand->indexes.size(); ++k) {
        const std::optional<long long> value = IndexValue(context, scope, operand->indexes[k]);
        if (!value || *value < 0 || *value >= (k == 0 ? type->dim1 : type->dim2)) return std::nullopt;
        // A literal + a temporary string: GCC 12's -Wrestrict report on it is false.
        PONTRA_GCC_STRING_WRESTRICT_BEGIN
        name += (k ? "," : "") + std::to_string(*value);
        PONTRA_GCC_STRING_WRESTRICT_END
    }
    name += "]";
    for (const auto& element : array->members)
        if (element->name == name)
            return HoverVariable{element.get(),
                                 element->description.empty() ? array->description : element->description};
    return std::nullopt;
}

}  // namespace

std::optional<HoverVariable> ResolveHoverVariable(const HoverContext& context, CUnit& unit,
                                                  std::string_view text) {
    const UnitScope scope = TagsOf(context, unit);
    if (const CTag* tag = FindOperandTag(scope, text).tag) return HoverVariable{tag, tag->description};
    return ResolveElement(context, scope, text);
}

std::string HoverTipText(const HoverContext& context, const HoverVariable& variable) {
    const CTag& tag = *variable.tag;
    const CType* type = context.project->FindType(tag.dataType);
    const bool elementary = type && IsElementary(type->name);
    std::string text = tag.name + ": " + tag.dataType;
    if (!context.debug) {
        text += ", InitValue = " + (elementary ? tag.initialValue : std::string(kStructured));
    } else {
        std::string value = kUnknown;
        if (type && !elementary) {
            value = kStructured;
        } else if (elementary && context.instanceBase != -1 && context.live) {
            if (auto live = context.live->LiveValueText(tag, context.instanceBase)) value = *live;
        }
        text += ", Value = " + value;
    }
    if (!variable.description.empty()) text += ", " + variable.description;
    return text;
}

}  // namespace pontra
