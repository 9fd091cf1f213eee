// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TagRename.h"

#include "model/Project.h"

namespace pontra {

namespace {

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void RenameInTags(TagList& tags, std::string_view oldName, std::string_view newName) {
    for (auto& t : tags) {
        RenameReference(t->alias, oldName, newName);
        RenameReference(t->baseTag, oldName, newName);
        RenameInTags(t->members, oldName, newName);
    }
}

void RenameInRungs(RungList& rungs, std::string_view oldName, std::string_view newName) {
    for (auto& rung : rungs) {
        for (auto& e : rung->elements) {
            for (int i = 0; i < e->operandCount && i < kMaxOperands; ++i)
                RenameReference(e->operands[static_cast<size_t>(i)], oldName, newName);
            RenameInRungs(e->legs, oldName, newName);
        }
    }
}

// Identifiers of Structured Text lines, skipping the three comment forms (block comments
// run across lines), numbers, the digits of based literals ("16#FF") and members
// ("a.b": only "a" names a tag).
void RenameInText(std::vector<std::string>& lines, std::string_view oldName, std::string_view newName) {
    enum { kCode, kParenComment, kSlashComment } state = kCode;
    for (auto& line : lines) {
        std::string out;
        out.reserve(line.size());
        size_t i = 0;
        while (i < line.size()) {
            const char c = line[i];
            const char next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (state != kCode) {
                const bool closes = (state == kParenComment && c == '*' && next == ')') ||
                                    (state == kSlashComment && c == '*' && next == '/');
                out += c;
                if (closes) {
                    out += next;
                    state = kCode;
                    i += 2;
                } else {
                    ++i;
                }
                continue;
            }
            if (c == '/' && next == '/') {
                out.append(line, i, std::string::npos);
                break;
            }
            if ((c == '(' || c == '/') && next == '*') {
                state = c == '(' ? kParenComment : kSlashComment;
                out += c;
                out += next;
                i += 2;
                continue;
            }
            if (!IsNameChar(c)) {
                out += c;
                ++i;
                continue;
            }
            size_t end = i;
            while (end < line.size() && IsNameChar(line[end])) ++end;
            std::string_view word(line.data() + i, end - i);
            const char before = out.empty() ? '\0' : out.back();
            if (!IsDigit(c) && before != '.' && before != '#' && word == oldName) out += newName;
            else out += word;
            i = end;
        }
        line = std::move(out);
    }
}

}  // namespace

ReferenceScope MainScope(CProject& project) {
    return {{&project.doc.tags, &project.doc.controllerTags}, {&project.doc.rungs}, {}};
}

ReferenceScope UnitScope(CProject& project, CUnit& unit) {
    ReferenceScope scope{{&unit.tags}, {&unit.rungs}, {&unit.text}};
    if (unit.IsType())
        if (CType* type = project.FindType(unit.name)) scope.tags.push_back(&type->members);
    return scope;
}

bool RenameReference(std::string& text, std::string_view oldName, std::string_view newName) {
    if (oldName.empty() || !text.starts_with(oldName)) return false;
    if (text.size() > oldName.size() && text[oldName.size()] != '.' && text[oldName.size()] != '[') return false;
    text.replace(0, oldName.size(), newName);
    return true;
}

void RenameReferences(const ReferenceScope& scope, std::string_view oldName, std::string_view newName) {
    for (TagList* tags : scope.tags) RenameInTags(*tags, oldName, newName);
    for (RungList* rungs : scope.rungs) RenameInRungs(*rungs, oldName, newName);
    for (auto* text : scope.texts) RenameInText(*text, oldName, newName);
}

}  // namespace pontra
