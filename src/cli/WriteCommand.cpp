// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli write: goes online, writes a value as the "Write Tag" dialog does (a BOOL
// is inverted), prints the tag after the next read and stops.
#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "model/Tag.h"
#include "online/LiveWrites.h"

namespace pontra {

namespace {

struct WriteOptions {
    OnlineOptions online;
    std::string tag;
    std::string value;
};

int RunWrite(const WriteOptions& options) {
    return ChangeTagOnline(
        options.online, "write", options.tag, [](const CTag&) { return true; },
        "no tag '" + options.tag + "' in the main program",
        [&](CMainFrame& frame, const CTag& tag) {
            return WriteTagDialog(frame, nullptr, tag).Ok(options.value);
        });
}

} // namespace

void AddWriteCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<WriteOptions>();
    CLI::App* sub = app.add_subcommand("write", "go online and write a value to a tag (a BOOL is inverted)");
    AddOnlineOptions(*sub, options->online);
    sub->add_option("tag", options->tag, "tag name")->required();
    sub->add_option("value", options->value, "value in the tag's display style")->required();
    commands.push_back({sub, [options] { return RunWrite(*options); }});
}

} // namespace pontra
