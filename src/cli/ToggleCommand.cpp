// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli toggle: goes online, inverts a BOOL tag ("Toggle Bit"), prints it after a
// read and stops.
#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "model/Tag.h"
#include "online/LiveWrites.h"

namespace pontra {

namespace {

struct ToggleOptions {
    OnlineOptions online;
    std::string tag;
};

int RunToggle(const ToggleOptions& options) {
    return ChangeTagOnline(
        options.online, "toggle", options.tag,
        [](const CTag& tag) {
            return tag.dataType == "BOOL" ? std::string()
                                          : "'" + tag.name + "' is a " + tag.dataType + ", not a BOOL";
        },
        [&](CMainFrame& frame, const CTag&) { return ToggleVariable(frame, nullptr, options.tag); });
}

} // namespace

void AddToggleCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<ToggleOptions>();
    CLI::App* sub = app.add_subcommand("toggle", "go online and invert a BOOL tag");
    AddOnlineOptions(*sub, options->online);
    sub->add_option("tag", options->tag, "BOOL tag name")->required();
    commands.push_back({sub, [options] { return RunToggle(*options); }});
}

} // namespace pontra
