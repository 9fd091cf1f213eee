// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ProjectText.h"

#include "files/ComponentExport.h"
#include "files/RungText.h"
#include "model/Project.h"
#include "model/Types.h"

namespace pontra {

namespace {

// The text split into lines; "\r\n" and "\n" both end a line.
void AppendLines(const std::string& text, std::vector<std::string>& lines) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
}

void AppendRungs(const RungList& rungs, std::vector<std::string>& lines) {
    for (const auto& rung : rungs) AppendLines(RungText(*rung), lines);
}

const char* ConfigModeName(uint8_t mode) {
    switch (mode) {
    case kConfigValue: return "value";
    case kConfigRange: return "range";
    case kConfigChoice: return "choice";
    default: return "none";
    }
}

void AppendTags(const CProject& project, const TagList& tags, std::vector<std::string>& lines) {
    for (const auto& tag : tags) lines.push_back(TagLine(project, *tag));
}

// A function block's tags grouped as the component export groups them.
void AppendBlockTags(const CProject& project, const CUnit& unit, std::vector<std::string>& lines) {
    static const std::pair<const char*, int> kSections[] = {
        {"VAR_INPUT", kUsageInput}, {"VAR_OUTPUT", kUsageOutput}, {"VAR_IN_OUT", kUsageInOut}, {"VAR", kUsageNone}};
    for (const auto& [keyword, usage] : kSections) {
        std::vector<std::string> section;
        for (const auto& tag : unit.tags) {
            const int u = tag->usage == kUsageStatic ? kUsageNone : tag->usage;
            if (u == usage) section.push_back(TagLine(project, *tag));
        }
        if (section.empty()) continue;
        lines.push_back(keyword);
        lines.insert(lines.end(), section.begin(), section.end());
        lines.push_back("END_VAR");
    }
}

}  // namespace

std::string TagLine(const CProject& project, const CTag& tag) {
    std::string line = DeclarationLine(project, tag);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (!tag.style.empty() && tag.style != "Decimal") line += " {style = " + tag.style + "}";
    if (tag.nonVolatile) line += " {non-volatile}";
    if (tag.connectionKind == kConnProduced || tag.connectionKind == kConnConsumed)
        line += std::string(" {connection = ") + (tag.connectionKind == kConnProduced ? "produced" : "consumed") +
                " " + FormatModuleAddress(tag.connectionWord) + " parameter " + std::to_string(tag.connectionParam) +
                "}";
    if (tag.configMode != kConfigNone) {
        line += std::string(" {configuration = ") + ConfigModeName(tag.configMode);
        if (!tag.configText.empty()) line += " \"" + tag.configText + "\"";
        for (size_t i = 0; i < tag.choiceTexts.size(); ++i)
            line += " " + tag.choiceTexts[i] + "=" +
                    (i < tag.choiceValues.size() ? std::to_string(tag.choiceValues[i]) : std::string("?"));
        line += "}";
    }
    return line;
}

std::vector<ProjectComponent> ProjectComponents(const CProject& project) {
    std::vector<ProjectComponent> components;
    const CVessaDoc& doc = project.doc;
    components.push_back({"Controller properties",
                          {"Controller type: " + doc.controllerType, "Module address: " + doc.moduleAddressText,
                           "Program version: " + std::to_string(doc.version.major) + "." +
                               std::to_string(doc.version.minor) + "." + std::to_string(doc.version.revision)}});
    ProjectComponent controller{"Controller tags", {}};
    AppendTags(project, doc.controllerTags, controller.lines);
    components.push_back(std::move(controller));
    ProjectComponent mainTags{"Main program tags", {}};
    AppendTags(project, doc.tags, mainTags.lines);
    components.push_back(std::move(mainTags));
    ProjectComponent main{"Main program", {}};
    AppendRungs(doc.rungs, main.lines);
    components.push_back(std::move(main));
    for (const auto& unit : project.units) {
        if (unit->IsType()) {
            ProjectComponent type{"TYPE " + unit->name, {}};
            const CType* t = project.FindType(unit->name);
            AppendTags(project, t ? t->members : unit->tags, type.lines);
            components.push_back(std::move(type));
            continue;
        }
        ProjectComponent block{"FUNCTION_BLOCK " + unit->name,
                               {unit->IsStructuredText() ? "(* Structured Text *)" : "(* ladder *)"}};
        AppendBlockTags(project, *unit, block.lines);
        if (unit->IsStructuredText())
            block.lines.insert(block.lines.end(), unit->text.begin(), unit->text.end());
        else
            AppendRungs(unit->rungs, block.lines);
        components.push_back(std::move(block));
    }
    return components;
}

std::string ProjectText(const CProject& project) {
    std::string text;
    for (const auto& component : ProjectComponents(project)) {
        text += "=== " + component.title + "\n";
        for (const auto& line : component.lines) text += line + "\n";
    }
    return text;
}

}  // namespace pontra
