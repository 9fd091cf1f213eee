// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ProjectJson.h"

#include "model/Project.h"
#include "model/TextEncoding.h"

namespace pontra {

using json = nlohmann::ordered_json;

namespace {

// Model text is Windows-1252; JSON strings must be UTF-8.
json Text(std::string_view cp1252) { return Cp1252ToUtf8(cp1252); }

json TextLines(const std::vector<std::string>& lines) {
    json list = json::array();
    for (const auto& line : lines) list.push_back(Text(line));
    return list;
}

json ElementToJson(const CElement& e) {
    json operands = json::array();
    for (int i = 0; i < e.operandCount && i < kMaxOperands; ++i) operands.push_back(Text(e.operands[static_cast<size_t>(i)]));
    json j = {{"kind", e.kind}, {"mnemonic", Text(e.mnemonic)}, {"operands", operands}};
    if (e.kind == kKindBranch) {
        json legs = json::array();
        for (const auto& leg : e.legs) legs.push_back(RungToJson(*leg));
        j["legs"] = legs;
    }
    return j;
}

json RungsToJson(const RungList& rungs) {
    json list = json::array();
    for (const auto& r : rungs) list.push_back(RungToJson(*r));
    return list;
}

json TagsToJson(const TagList& tags) {
    json list = json::array();
    for (const auto& t : tags) list.push_back(TagToJson(*t));
    return list;
}

}  // namespace

json RungToJson(const CRung& rung) {
    json elements = json::array();
    for (const auto& e : rung.elements) elements.push_back(ElementToJson(*e));
    return {{"comment", Text(rung.comment)}, {"flag", rung.flag}, {"elements", elements}};
}

json TagToJson(const CTag& t) {
    json choices = json::array();
    for (size_t i = 0; i < t.choiceTexts.size(); ++i)
        choices.push_back({Text(t.choiceTexts[i]), i < t.choiceValues.size() ? t.choiceValues[i] : 0u});
    return {{"name", Text(t.name)},
            {"type", Text(t.dataType)},
            {"init", Text(t.initialValue)},
            {"style", Text(t.style)},
            {"description", Text(t.description)},
            {"alias", Text(t.alias)},
            {"base_tag", Text(t.baseTag)},
            {"usage", t.usage},
            {"non_volatile", t.nonVolatile != 0},
            {"connection",
             {{"kind", t.connectionKind}, {"address", FormatModuleAddress(t.connectionWord)}, {"parameter", t.connectionParam}}},
            {"config", {{"mode", t.configMode}, {"text", Text(t.configText)}, {"choices", choices}}},
            {"address", t.address},
            {"bit", t.bit},
            {"size", t.byteSize},
            {"members", TagsToJson(t.members)}};
}

json ProjectToJson(const CProject& project) {
    const CVessaDoc& doc = project.doc;
    json units = json::array();
    for (const auto& u : project.units) {
        units.push_back({{"name", Text(u->name)},
                         {"kind", u->kind},
                         {"language", u->language},
                         {"rungs", RungsToJson(u->rungs)},
                         {"text", TextLines(u->text)},
                         {"tags", TagsToJson(u->tags)}});
    }
    return {{"format_version", doc.formatVersion},
            {"time_stamp", doc.timeStamp},
            {"module_address", Text(doc.moduleAddressText)},
            {"controller_type", Text(doc.controllerType)},
            {"version", {{"major", doc.version.major}, {"minor", doc.version.minor}, {"revision", doc.version.revision}}},
            {"main", {{"rungs", RungsToJson(doc.rungs)}, {"tags", TagsToJson(doc.tags)}}},
            {"controller_tags", TagsToJson(doc.controllerTags)},
            {"units", units},
            {"configuration_type", Text(project.configTypeName)}};
}

}  // namespace pontra
