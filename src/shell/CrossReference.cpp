// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CrossReference.h"

#include <algorithm>
#include <map>
#include <set>

#include "model/Catalogue.h"
#include "model/Project.h"
#include "st/Lexer.h"

namespace pontra {

namespace {

bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// The tag names a place sees: the main program sees its tags and the controller tags,
// a function block its own tags.
class Visible {
public:
    Visible(const CProject& project, const CUnit* unit) {
        if (unit) {
            for (const auto& t : unit->tags) names_.insert(t->name);
        } else {
            for (const auto& t : project.doc.tags) names_.insert(t->name);
            for (const auto& t : project.doc.controllerTags) names_.insert(t->name);
        }
    }
    bool Has(std::string_view name) const { return names_.count(std::string(name)) != 0; }

private:
    std::set<std::string, std::less<>> names_;
};

std::string_view LeadingName(std::string_view text) {
    if (text.empty() || !IsNameStart(text[0])) return {};
    size_t end = 1;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    return text.substr(0, end);
}

// Names standing inside the brackets of a reference (A[i], B[i,j].DN): indexes, read.
std::vector<std::string_view> IndexNames(std::string_view text) {
    std::vector<std::string_view> names;
    int depth = 0;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '[') ++depth;
        else if (c == ']') --depth;
        if (depth > 0 && IsNameStart(c) && !IsNameChar(text[i - 1]) && text[i - 1] != '.') {
            size_t end = i;
            while (end < text.size() && IsNameChar(text[end])) ++end;
            names.push_back(text.substr(i, end - i));
            i = end;
            continue;
        }
        ++i;
    }
    return names;
}

struct Collector {
    const Visible& visible;
    std::string_view only;  // empty: every tag
    std::vector<TagUse>& uses;

    bool Wanted(std::string_view name) const { return visible.Has(name) && (only.empty() || name == only); }

    // A reference and the names of its indexes.
    void Add(TagUse use, std::string_view reference) {
        const std::string_view name = LeadingName(reference);
        if (Wanted(name)) {
            TagUse whole = use;
            whole.tag = std::string(name);
            whole.reference = std::string(reference);
            uses.push_back(std::move(whole));
        }
        for (std::string_view index : IndexNames(reference)) {
            if (!Wanted(index)) continue;
            TagUse read = use;
            read.tag = std::string(index);
            read.reference = std::string(index);
            read.access = UseAccess::Read;
            uses.push_back(std::move(read));
        }
    }
};

UseAccess OperandAccess(const CElement& element, int operand) {
    const int access = element.access[static_cast<size_t>(operand)];
    if (access == kAccessWritten) return UseAccess::Written;
    if (access == kAccessRead) return UseAccess::Read;
    // The catalogue leaves the structures that an instruction both reads and updates
    // unmarked: timers, counters, the reset of either and the instance of a call.
    const std::string_view types = element.allowedTypes[static_cast<size_t>(operand)];
    if (element.kind == kKindJFB || types.find("TIMER") != std::string_view::npos ||
        types.find("COUNTER") != std::string_view::npos)
        return UseAccess::ReadWritten;
    return UseAccess::Read;
}

void CollectElements(Collector& out, const CUnit* unit, int rungIndex, const RungList& legsOrRung);

void CollectElement(Collector& out, const CUnit* unit, int rungIndex, const CElement& e) {
    if (e.IsBranch()) {
        CollectElements(out, unit, rungIndex, e.legs);
        return;
    }
    TagUse use;
    use.unit = const_cast<CUnit*>(unit);
    use.rung = rungIndex;
    use.element = &e;
    use.mnemonic = e.mnemonic;
    for (int i = 0; i < e.operandCount && i < kMaxOperands; ++i) {
        use.operand = i;
        use.access = OperandAccess(e, i);
        out.Add(use, e.operands[static_cast<size_t>(i)]);
    }
    if (e.kind != kKindJFB) return;
    // Bindings of the call: an input argument is read, an output argument written.
    for (const CCallParam& param : e.callParams) {
        use.operand = 0;
        if (!param.input.empty()) {
            use.access = UseAccess::Read;
            out.Add(use, param.input);
        }
        if (!param.output.empty()) {
            use.access = UseAccess::Written;
            out.Add(use, param.output);
        }
    }
}

void CollectElements(Collector& out, const CUnit* unit, int rungIndex, const RungList& rungs) {
    for (const auto& rung : rungs)
        for (const auto& e : rung->elements) CollectElement(out, unit, rungIndex, *e);
}

void CollectRungs(Collector& out, const CUnit* unit, const RungList& rungs) {
    for (size_t r = 0; r < rungs.size(); ++r)
        for (const auto& e : rungs[r]->elements) CollectElement(out, unit, static_cast<int>(r), *e);
}

bool Is(const Token& t, std::string_view text) { return t.kind == kTokOperator && t.text == text; }

// The identifiers of a text outside comments, joined with their members and bits
// ("a.b.3"), classified by what follows them and by the call they stand in.
void CollectText(Collector& out, const CUnit* unit) {
    const TokenList tokens = Tokenize(unit->text, [](int, const std::string&, const std::string&) {});
    // One entry per open parenthesis: whether it opens the arguments of a call.
    std::vector<bool> calls;
    const auto at = [&](size_t i) -> const Token* { return i < tokens.size() ? tokens[i].get() : nullptr; };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = *tokens[i];
        if (Is(t, "(")) {
            calls.push_back(false);
            continue;
        }
        if (Is(t, ")")) {
            if (!calls.empty()) calls.pop_back();
            continue;
        }
        if (t.kind != kTokIdentifier) continue;
        if (i > 0 && Is(*tokens[i - 1], ".")) continue;  // a member of something else
        std::string reference = t.text;
        const int line = t.line;
        size_t next = i + 1;
        while (at(next) && Is(*at(next), ".") && at(next + 1) &&
               (at(next + 1)->kind == kTokIdentifier || at(next + 1)->kind == kTokLiteral)) {
            reference += "." + at(next + 1)->text;
            next += 2;
        }
        const Token* after = at(next);
        const bool inCall = !calls.empty() && calls.back();
        const bool previousIsOutputArrow = i > 0 && Is(*tokens[i - 1], "=>");
        if (after && Is(*after, "(")) {
            // A call: an instance of a function block is read and updated by it.
            TagUse use;
            use.unit = const_cast<CUnit*>(unit);
            use.line = line;
            use.access = UseAccess::ReadWritten;
            out.Add(use, reference);
            calls.push_back(true);
            i = next;
            continue;
        }
        if (inCall && after && (Is(*after, ":=") || Is(*after, "=>"))) {
            i = next - 1;  // a parameter name of the call, not a tag
            continue;
        }
        TagUse use;
        use.unit = const_cast<CUnit*>(unit);
        use.line = line;
        use.access = previousIsOutputArrow || (!inCall && after && Is(*after, ":=")) ? UseAccess::Written
                                                                                       : UseAccess::Read;
        out.Add(use, reference);
        i = next - 1;
    }
}

}  // namespace

std::string_view UseAccessName(UseAccess access) {
    switch (access) {
    case UseAccess::Read: return "read";
    case UseAccess::Written: return "written";
    case UseAccess::ReadWritten: return "read/written";
    }
    return "";
}

std::vector<TagUse> FindTagUses(const CProject& project, const CUnit* unit, std::string_view tag) {
    std::vector<TagUse> uses;
    const Visible visible(project, unit);
    Collector out{visible, tag, uses};
    if (!unit) {
        CollectRungs(out, nullptr, project.doc.rungs);
    } else if (unit->IsStructuredText()) {
        CollectText(out, unit);
    } else if (unit->IsFunctionBlock()) {
        CollectRungs(out, unit, unit->rungs);
    }
    return uses;
}

std::vector<TagUse> FindTagUses(const CProject& project, const CUnit* unit) {
    return FindTagUses(project, unit, {});
}

std::vector<std::string> MultipleWriters(const std::vector<TagUse>& uses) {
    // The same text names different tags in different units.
    std::map<std::pair<const CUnit*, std::string>, int> writes;
    std::vector<std::string> flagged;
    for (const TagUse& use : uses)
        if (use.Writes() && ++writes[{use.unit, use.reference}] == 2) flagged.push_back(use.reference);
    return flagged;
}

std::string UsePlace(const TagUse& use) {
    const std::string unit = use.unit ? use.unit->name : std::string("Main Routine");
    if (use.line > 0) return unit + " line " + std::to_string(use.line);
    return unit + " rung " + std::to_string(use.rung + 1) + ", " + use.mnemonic + " operand " +
           std::to_string(use.operand + 1);
}

}  // namespace pontra
