// SPDX-License-Identifier: GPL-3.0-or-later
// Checks of one ladder element and its operands.
#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "build/Verifier.h"
#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

constexpr int kKindLbl = 47;
constexpr int kKindJmp = 46;
constexpr int kKindRdr = 57;
constexpr int kKindWrr = 58;
constexpr int kKindWrc = 59;
constexpr int kKindDol = 60;
constexpr int kKindDor = 61;

bool IsOneOf(std::string_view value, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Comparisons, arithmetic, moves and logic: the kinds whose operands may be array elements.
bool IsArrayCapable(int kind) { return kind >= 19 && kind <= 42; }

bool IsIndexType(std::string_view type) { return type == "SINT" || type == "INT" || type == "DINT"; }

// A type fits a JFB parameter when the copy instructions can move it: bit to bit
// (XIC/OTE) or integer to integer (MOV).
bool FitsParameter(std::string_view argument, std::string_view parameter) {
    if (parameter == "BOOL") return argument == "BOOL";
    return IsIndexType(parameter) && IsIndexType(argument);
}

bool IsNumber(std::string_view text) {
    int32_t value = 0;
    std::string message;
    return ParseValue(32, "", text, value, message);
}

// The type an operand really has: an alias has none of its own.
const std::string& EffectiveType(const TagRef& named, const TagRef& target) {
    return target ? target.tag->dataType : named.tag->dataType;
}

// Registers of the controller's outputs, which WRC must not write.
bool IsForbiddenWrcRegister(std::string_view type, int reg) {
    if (IsOneOf(type, {"Vessa", "VessaK1", "Vessa-Lite", "Vessa-IX", "VessaK2", "Kormo", "VessaK2/K3-48V", "VessaK3",
                       "KTX-310-1", "KTX-310-B", "KTX-310-0", "KTI-8-0"})) {
        static constexpr int kForbidden[] = {8,   9,   13,  14,  34,  37,  40,  60,  64,
                                             84,  116, 196, 201, 202, 260, 268, 269, 270};
        return std::find(std::begin(kForbidden), std::end(kForbidden), reg) != std::end(kForbidden);
    }
    if (type == "Brindle") {
        return (reg >= 50 && reg <= 53) || (reg >= 60 && reg <= 63) || (reg >= 70 && reg <= 78) ||
               IsOneOf(std::to_string(reg), {"81", "116", "196", "201", "202", "268", "269"});
    }
    return false;
}

}  // namespace

void Verifier::ElementError(const CElement& element, int rung, int operand, const std::string& text) {
    output_.AddOutputLine("Error at Rung: " + std::to_string(rung) + ", Element: " + element.mnemonic +
                              ", Operand: " + std::to_string(operand) + " -> " + text,
                          &element);
}

void Verifier::WholeElementError(const CElement& element, int rung, const std::string& text) {
    output_.AddOutputLine("Error at Rung: " + std::to_string(rung) + ", Element: " + element.mnemonic + " -> " + text,
                          &element);
}

void Verifier::CheckElements(const UnitScope& scope, const CRung& rungOrLeg, int rung) {
    for (const auto& element : rungOrLeg.elements) {
        for (const auto& leg : element->legs) CheckElements(scope, *leg, rung);
        CheckElement(scope, *element, rung);
    }
}

void Verifier::CheckElement(const UnitScope& scope, const CElement& element, int rung) {
    const std::string& type = project_.doc.controllerType;
    if ((element.kind == kKindRdr || element.kind == kKindWrr || element.kind == kKindWrc) && type == "Aldera")
        WholeElementError(element, rung, "This command is not supported for " + type + " module");
    for (int i = 0; i < element.operandCount && i < kMaxOperands; ++i) {
        if ((element.kind == kKindDol || element.kind == kKindDor) &&
            !IsOneOf(type, {"Vessa", "VessaK1", "Vessa-Lite", "VessaK2", "Kormo", "KTX-310-B", "Oskel",
                            "VessaK2/K3-48V", "VessaK3", "KTX-310-1", "KTX-310-0"}))
            WholeElementError(element, rung, "This command is not supported to " + type + " module");
        CheckOperand(scope, element, rung, i);
    }
}

void Verifier::CheckOperand(const UnitScope& scope, const CElement& element, int rung, int index) {
    const std::string& text = element.operands[static_cast<size_t>(index)];
    if (text.empty()) return;
    if (text == "?") return ElementError(element, rung, index, "Missing operand");
    if (element.kind == kKindLbl) {
        const CRung* parent = element.parent;
        const bool first = parent && parent->parent == nullptr && parent->elements.size() >= 2 &&
                           parent->elements[1].get() == &element;
        if (!first) ElementError(element, rung, index, "LBL instruction not first instruction on rung");
        return;
    }
    if (element.kind == kKindJmp) return;  // labels are resolved by the build

    if (TagRef ref = FindOperandTag(scope, text)) return CheckTagOperand(scope, element, rung, index, ref);

    const std::string_view allowed = element.allowedTypes[static_cast<size_t>(index)];
    if (text.find('[') != std::string::npos) {
        if (!IsArrayCapable(element.kind)) return ElementError(element, rung, index, "Invalid array");
        return CheckArrayOperand(scope, element, rung, index);
    }
    if (allowed.find("NUMBER") != std::string_view::npos) {
        const bool registerOperand = (element.kind == kKindRdr && index == 0) ||
                                     ((element.kind == kKindWrr || element.kind == kKindWrc) && index == 1);
        if (registerOperand) return CheckRegister(element, rung, index);
        int32_t value = 0;
        std::string message;
        if (!ParseValue(32, element.operandNotes[static_cast<size_t>(index)], text, value, message))
            ElementError(element, rung, index, "Not valid number");
        return;
    }
    ElementError(element, rung, index, "Invalid type");
}

void Verifier::CheckTagOperand(const UnitScope& scope, const CElement& element, int rung, int index,
                               const TagRef& ref) {
    const TagRef target = ResolveAlias(scope, ref);
    if (!ref.tag->alias.empty()) {
        if (!target) ElementError(element, rung, index, "Invalid Base Tag");
        else if (target.tag->usage != ref.tag->usage) ElementError(element, rung, index, "Invalid Base Tag Scope");
    }
    const std::string& type = EffectiveType(ref, target);
    if (element.kind == kKindJFB && index == 0) {
        const CUnit* unit = project_.FindUnit(type);
        if (unit && unit->IsFunctionBlock()) CheckCallBindings(scope, element, rung, ref);
        else ElementError(element, rung, index, "Invalid type");
    } else if (ref.tag->alias.empty() || target) {
        if (element.allowedTypes[static_cast<size_t>(index)].find(type) == std::string_view::npos)
            ElementError(element, rung, index, "Invalid type");
    }
    if (ref.tag->usage != kUsageNone)
        CheckScope(element, rung, index, ref, element.access[static_cast<size_t>(index)], "");
    MarkUsed(scope, ref);
}

void Verifier::CheckArrayOperand(const UnitScope& scope, const CElement& element, int rung, int index) {
    const std::string& text = element.operands[static_cast<size_t>(index)];
    auto operand = ParseArrayOperand(text);
    TagRef base = operand ? FindOperandTag(scope, operand->name) : TagRef{};
    TagRef baseTarget = base ? ResolveAlias(scope, base) : TagRef{};
    auto array = baseTarget ? ParseArrayType(baseTarget.tag->dataType) : std::nullopt;
    if (!operand || !array) return ElementError(element, rung, index, "Invalid array");
    if (!IsIndexType(array->element)) return ElementError(element, rung, index, "Invalid array type");
    const size_t dimensions = array->dim2 ? 2 : 1;
    if (operand->indexes.size() != dimensions) return ElementError(element, rung, index, "Invalid array dimension");

    // Per index: constant in range, or a tag of an integer type.
    static const char* const kWhich[] = {"first", "second"};
    bool ok = true;
    for (size_t d = 0; d < dimensions && ok; ++d) {
        const std::string suffix = dimensions == 2 ? " at " + std::string(kWhich[d]) + " dimension" : "";
        const std::string& indexText = operand->indexes[d];
        const int size = d == 0 ? array->dim1 : array->dim2;
        if (auto constant = ConstantIndex(indexText)) {
            if (*constant < 0 || *constant >= size) {
                ElementError(element, rung, index,
                             dimensions == 2 ? "Array index  at " + std::string(kWhich[d]) + " dimension is out of range"
                                             : "Array index is out of range");
                ok = false;
            }
            continue;
        }
        TagRef indexTag = indexText.empty() ? TagRef{} : FindOperandTag(scope, indexText);
        if (!indexTag) {
            ElementError(element, rung, index, "Invalid array index" + suffix);
            ok = false;
            continue;
        }
        const TagRef indexTarget = ResolveAlias(scope, indexTag);
        if (!indexTarget || !IsIndexType(indexTarget.tag->dataType)) {
            ElementError(element, rung, index, "Invalid array index type" + suffix);
            ok = false;
            continue;
        }
        MarkUsed(scope, indexTag);
    }
    if (!ok) return;
    if (element.allowedTypes[static_cast<size_t>(index)].find(array->element) == std::string_view::npos)
        return ElementError(element, rung, index, "Invalid type");
    EnsureScratchTags(scope);
    if (base.tag->usage != kUsageNone)
        CheckScope(element, rung, index, base, element.access[static_cast<size_t>(index)], "");
    MarkUsed(scope, base);
}

void Verifier::CheckRegister(const CElement& element, int rung, int index) {
    const std::string& text = element.operands[static_cast<size_t>(index)];
    const std::string& type = project_.doc.controllerType;
    const int reg = DecimalToInt(text);
    const bool plain = std::to_string(reg) == text;
    const bool rdr = element.kind == kKindRdr;
    const bool extended = rdr && IsOneOf(type, {"VessaK1", "VessaK2", "VessaK3", "KTX-310-1", "KTX-310-0"});
    const bool wide = rdr && type == "VessaK2/K3-48V";
    bool valid = plain && reg >= 1 && reg <= 512;
    if (plain && extended) valid = valid || (reg >= 10000 && reg <= 10030) || (reg >= 10100 && reg <= 10130);
    if (plain && wide) valid = valid || (reg >= 10000 && reg <= 10200);
    if (!valid) {
        if (extended)
            ElementError(element, rung, index,
                         "Not valid number (Register No must be in range from 1 up to 512, 10000 up to 10030 or "
                         "10100 up to 10130)");
        else if (wide)
            ElementError(element, rung, index,
                         "Not valid number (Register No must be in range from 1 up to 512 or 10000 up to 10200)");
        else
            ElementError(element, rung, index, "Not valid number (Register No must be in range from 1 up to 512)");
        return;
    }
    // Those registers need firmware 4.12; the download checks the module for it.
    if (rdr && reg >= 10000) frame_.restrictedRead = true;
    if (element.kind == kKindWrc && IsForbiddenWrcRegister(type, reg))
        ElementError(element, rung, index,
                     "Forbidden register number (Register " + std::to_string(reg) + " is Controller Output Tag)");
}

void Verifier::CheckCallBindings(const UnitScope& scope, const CElement& element, int rung, const TagRef& instance) {
    const std::string& name = instance.tag->name;
    for (const CCallParam& param : element.callParams) {
        if (param.input.empty() && param.output.empty()) continue;
        const std::string memberName = name + "." + param.name;
        const TagRef member = FindOperandTag(scope, memberName);
        if (!member) {
            ElementError(element, rung, 0, "Tag " + memberName + " is not valid");
            continue;
        }
        const std::string& memberType = member.tag->dataType;
        if (!param.input.empty()) {
            const std::string suffix = " (Input: " + param.name + ")";
            if (TagRef argument = FindOperandTag(scope, param.input)) {
                const TagRef target = ResolveAlias(scope, argument);
                if (!target) ElementError(element, rung, 0, "Invalid Base Tag" + suffix);
                else if (!FitsParameter(target.tag->dataType, memberType))
                    ElementError(element, rung, 0, "Invalid type" + suffix);
                if (argument.tag->usage != kUsageNone) CheckScope(element, rung, 0, argument, kAccessRead, suffix);
                MarkUsed(scope, argument);
            } else if (std::isdigit(static_cast<unsigned char>(param.input[0])) || param.input[0] == '-' ||
                       param.input[0] == '+') {
                if (!IsNumber(param.input)) ElementError(element, rung, 0, "Not valid number" + suffix);
                else if (!IsIndexType(memberType)) ElementError(element, rung, 0, "Invalid type" + suffix);
            } else {
                ElementError(element, rung, 0, "Invalid tag" + suffix);
            }
        }
        if (!param.output.empty()) {
            const std::string suffix = " (Output: " + param.name + ")";
            TagRef argument = FindOperandTag(scope, param.output);
            if (!argument) {
                ElementError(element, rung, 0, "Invalid tag" + suffix);
                continue;
            }
            const TagRef target = ResolveAlias(scope, argument);
            if (!target) ElementError(element, rung, 0, "Invalid Base Tag" + suffix);
            else if (!FitsParameter(target.tag->dataType, memberType))
                ElementError(element, rung, 0, "Invalid type" + suffix);
            if (argument.tag->usage != kUsageNone) CheckScope(element, rung, 0, argument, kAccessWritten, suffix);
            MarkUsed(scope, argument);
        }
    }
}

void Verifier::CheckScope(const CElement& element, int rung, int index, const TagRef& ref, int access,
                          const std::string& suffix) {
    const int depth = InstanceDepth(project_, ref);
    const int usage = ref.tag->usage;
    const char* text = nullptr;
    if (access == kAccessRead) {
        if (depth >= 2) text = "Can't read from Function Block Inherited Static tag";
        else if (depth == 1 && usage == kUsageStatic) text = "Can't read from Function Block Static tag";
    } else if (access == kAccessWritten) {
        if (depth >= 2) text = "Can't write in Function Block Inherited Static tag";
        else if (depth == 0 && usage == kUsageInput) text = "Can't write in own Input tag";
        else if (depth == 1 && usage == kUsageOutput) text = "Can't write in Function Block Output tag";
        else if (depth == 1 && usage == kUsageStatic) text = "Can't write in Function Block Static tag";
    }
    if (text) ElementError(element, rung, index, text + suffix);
}

void Verifier::MarkUsed(const UnitScope& scope, const TagRef& ref) {
    ref.tag->work2 = 1;
    for (CTag* parent : ref.parents) parent->work2 = 1;
    if (!ref.tag->alias.empty()) {
        if (TagRef target = ResolveAlias(scope, ref)) {
            target.tag->work2 = 1;
            for (CTag* parent : target.parents) parent->work2 = 1;
        }
    }
}

// Code generation copies an indexed array element through these: one per operand position.
void Verifier::EnsureScratchTags(const UnitScope& scope) {
    if (!scope.scratch || !scope.scratch->empty()) return;
    for (int i = 0; i < 3; ++i) {
        auto tag = std::make_unique<CTag>("TagIArray" + std::to_string(i), "DINT");
        tag->style = "Decimal";
        BuildMembers(*scope.project, *tag);
        tag->work2 = 1;
        scope.scratch->push_back(std::move(tag));
    }
}

}  // namespace pontra
