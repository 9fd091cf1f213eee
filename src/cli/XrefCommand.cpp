// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli xref: the cross reference of a project's tags, one block per tag with its
// uses (place, reference, read or written) and the references written in more than
// one place. With TAG only that tag; --unit takes the tags of a function block.
#include <iostream>

#include "cli/Commands.h"
#include "cli/ProjectSource.h"
#include "cli/TerminalHost.h"
#include "model/TextEncoding.h"
#include "shell/CrossReference.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct XrefOptions {
    ProjectSource source;
    std::string tag;
    std::string unit;
};

void PrintTag(const CTag& tag, const std::vector<TagUse>& uses) {
    std::cout << Cp1252ToUtf8(tag.name) << " : "
              << Cp1252ToUtf8(tag.alias.empty() ? tag.dataType : "alias for " + tag.alias);
    if (!tag.description.empty()) std::cout << " - " << Cp1252ToUtf8(tag.description);
    std::cout << "\n";
    for (const TagUse& use : uses)
        std::cout << "  " << Cp1252ToUtf8(UsePlace(use)) << ": " << Cp1252ToUtf8(use.reference) << " "
                  << UseAccessName(use.access) << "\n";
    if (uses.empty()) std::cout << "  not used\n";
    for (const std::string& reference : MultipleWriters(uses))
        std::cout << "  multiple writers: " << Cp1252ToUtf8(reference) << "\n";
}

int RunXref(const XrefOptions& options) {
    TerminalHost host(false);
    CMainFrame frame(host);
    if (!OpenProjectSource(frame, options.source, "xref")) return kExitUsage;
    const CProject& project = frame.project();
    const CUnit* unit = nullptr;
    if (!options.unit.empty()) {
        const auto name = Utf8ToCp1252(options.unit);
        unit = name.ok() ? project.FindUnit(name.text) : nullptr;
        if (!unit || !unit->IsFunctionBlock()) {
            std::cerr << "xref: no function block " << options.unit << "\n";
            return kExitUsage;
        }
    }
    std::vector<const CTag*> tags;
    if (unit) {
        for (const auto& t : unit->tags) tags.push_back(t.get());
    } else {
        for (const auto& t : project.doc.tags) tags.push_back(t.get());
        for (const auto& t : project.doc.controllerTags) tags.push_back(t.get());
    }
    if (!options.tag.empty()) {
        const auto name = Utf8ToCp1252(options.tag);
        std::erase_if(tags, [&](const CTag* t) { return !name.ok() || t->name != name.text; });
        if (tags.empty()) {
            std::cerr << "xref: no tag " << options.tag << (unit ? " in " + options.unit : std::string()) << "\n";
            return kExitUsage;
        }
    }
    // One pass over the code; then the uses are handed out per tag.
    const std::vector<TagUse> all = FindTagUses(project, unit, options.tag.empty() ? std::string_view{} : tags[0]->name);
    for (const CTag* tag : tags) {
        std::vector<TagUse> uses;
        for (const TagUse& use : all)
            if (use.tag == tag->name) uses.push_back(use);
        if (options.tag.empty() && uses.empty() && !unit && tag->scope == 1) continue;  // unused controller tags
        PrintTag(*tag, uses);
    }
    return kExitOk;
}

}  // namespace

void AddXrefCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<XrefOptions>();
    CLI::App* sub = app.add_subcommand("xref", "list where tags are read and written");
    AddProjectSourceOptions(*sub, options->source);
    sub->add_option("tag", options->tag, "only this tag (with its members)");
    sub->add_option("--unit", options->unit, "the tags of this function block instead of the main program's");
    commands.push_back({sub, [options] { return RunXref(*options); }});
}

}  // namespace pontra
