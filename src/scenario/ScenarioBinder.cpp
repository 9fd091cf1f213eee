// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/ScenarioBinder.h"

#include <cctype>

#include "build/OperandScope.h"
#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"

namespace pontra::scenario {

namespace {

struct BindFailure {
    SourcePosition at;
    std::string message;
};

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

class Binder {
public:
    explicit Binder(CProject& project) : scope_(MainProgramScope(project)) {}

    ScenarioTag Tag(const std::string& name, SourcePosition at) const {
        const TagRef ref = ResolveAlias(scope_, FindOperandTag(scope_, name));
        if (!ref) throw BindFailure{at, "unknown tag '" + name + "' (not in the main program)"};
        const CTag& tag = *ref.tag;
        const int bits = ElementaryBits(tag.dataType);
        if (bits != 1 && bits != 8 && bits != 16 && bits != 32)
            throw BindFailure{at, "'" + name + "' is a " + tag.dataType +
                                      ", not a BOOL or integer value (name one of its members)"};
        return {name, tag.dataType, tag.style, tag.address, tag.bit, bits};
    }

    // A value written in any display style, for `tag`.
    static int32_t Value(const ScenarioTag& tag, const std::string& text, SourcePosition at) {
        if (tag.bits == 1) {
            const std::string word = Upper(text);
            if (word == "TRUE" || word == "ON") return 1;
            if (word == "FALSE" || word == "OFF") return 0;
        }
        const std::string_view style = LiteralStyle(text);
        if (style == "IP Address" && tag.bits != 32)
            throw BindFailure{at, "value '" + text + "' is an IP address; " + tag.name + " is a " + tag.type};
        int32_t value = 0;
        std::string message;
        if (!ParseValue(tag.bits, style, text, value, message))
            throw BindFailure{at, "value '" + text + "' does not fit " + tag.name + " (" + tag.type + "): " + message};
        return NormalizeTagValue(tag, value);
    }

    BoundStep Step(const scenario::Step& step) const {
        BoundStep bound{step, {}, 0, 0};
        const Condition& c = step.condition;
        switch (step.kind) {
        case StepKind::RunTime:
        case StepKind::RunScans:
            return bound;
        case StepKind::Pulse:
            bound.tag = Tag(c.tag, c.tagAt);
            if (bound.tag.bits != 1) throw BindFailure{c.tagAt, "PULSE needs a BOOL; " + c.tag + " is a " + bound.tag.type};
            return bound;
        case StepKind::Set:
        case StepKind::Expect:
        case StepKind::WaitUntil:
            bound.tag = Tag(c.tag, c.tagAt);
            bound.value = Value(bound.tag, c.value, c.valueAt);
            if (!c.tolerance.empty()) {
                int32_t tolerance = 0;
                std::string message;
                if (!ParseOperandLiteral(c.tolerance, tolerance, message) || tolerance < 0)
                    throw BindFailure{c.toleranceAt, "the tolerance '" + c.tolerance +
                                                         "' must be a number of 0 or more"};
                bound.tolerance = tolerance;
            }
            return bound;
        }
        return bound;
    }

private:
    UnitScope scope_;
};

}  // namespace

std::optional<BoundScenarioFile> ScenarioBinder::Bind(const ScenarioFile& file, CProject& project,
                                                      ScenarioError& error) {
    BoundScenarioFile bound;
    bound.path = file.path;
    const Binder binder(project);
    try {
        for (const auto& step : file.setup) bound.setup.push_back(binder.Step(step));
        for (const auto& test : file.tests) {
            BoundTest t{test.name, test.at, {}};
            for (const auto& step : test.steps) t.steps.push_back(binder.Step(step));
            bound.tests.push_back(std::move(t));
        }
    } catch (const BindFailure& failure) {
        error = {file.path, failure.at, failure.message};
        return std::nullopt;
    }
    return bound;
}

}  // namespace pontra::scenario
