// SPDX-License-Identifier: GPL-3.0-or-later
#include "st/Templates.h"

#include <initializer_list>

namespace pontra {

namespace {

std::string Join(std::initializer_list<const char*> lines, int tabs) {
    std::string text;
    bool first = true;
    for (const char* line : lines) {
        if (!first) text.append(static_cast<size_t>(tabs > 0 ? tabs : 0), '\t');
        text += line;
        first = false;
    }
    return text;
}

}  // namespace

std::string TemplateText(StatementTemplate kind, int tabs) {
    switch (kind) {
    case StatementTemplate::If:
        return Join({"IF (*condition*) THEN\r\n", "\t(*statement*);\r\n", "ELSE\r\n", "\t(*statement*);\r\n",
                     "END_IF;\r\n"},
                    tabs);
    case StatementTemplate::Elsif: return Join({"ELSIF (*condition*) THEN\r\n", "\t(*statement*);\r\n"}, tabs);
    case StatementTemplate::Case:
        return Join({"CASE (*case*) OF\r\n", "\t1: (*statement*);\r\n", "\t2: (*statement*);\r\n", "ELSE\r\n",
                     "\t(*statement*);\r\n", "END_CASE;\r\n"},
                    tabs);
    case StatementTemplate::For:
        return Join({"FOR (*begin*) TO (*end*) BY (*step*) DO\r\n", "\t(*statement*);\r\n", "END_FOR;\r\n"}, tabs);
    }
    return {};
}

}  // namespace pontra
