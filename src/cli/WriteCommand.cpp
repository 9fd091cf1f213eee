// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli write: goes online, writes a value as the "Write Tag" dialog does (a BOOL is
// set to the value given, as any other type), prints the tag after a read and stops.
#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "model/Tag.h"
#include "model/Types.h"
#include "model/ValueStyle.h"
#include "online/LiveWrites.h"

namespace pontra {

namespace {

struct WriteOptions {
    OnlineOptions online;
    std::string tag;
    std::string value;
};

// Why the value cannot go to the tag, checked before going online; empty when it can.
std::string Refusal(const CTag& tag, const std::string& text) {
    const int width = ElementaryBits(tag.dataType);
    if (width == 0)
        return "'" + tag.name + "' (" + tag.dataType +
               ") holds more than one value: write one of its members or elements";
    int32_t value = 0;
    std::string message;
    if (!ParseValue(width, tag.style, text, value, message)) return message;
    return {};
}

int RunWrite(const WriteOptions& options) {
    return ChangeTagOnline(
        options.online, "write", options.tag, [&](const CTag& tag) { return Refusal(tag, options.value); },
        [&](CMainFrame& frame, const CTag& tag) {
            return WriteTagDialog(frame, nullptr, tag).Ok(options.value);
        });
}

} // namespace

void AddWriteCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<WriteOptions>();
    CLI::App* sub = app.add_subcommand("write", "go online and write a value to a tag (a BOOL: 0 or 1)");
    AddOnlineOptions(*sub, options->online);
    sub->add_option("tag", options->tag, "tag name (a member path for a structure: T1.PRE)")->required();
    sub->add_option("value", options->value, "value in the tag's display style (250, 16#FF, 2#1010 ...)")
        ->required();
    commands.push_back({sub, [options] { return RunWrite(*options); }});
}

} // namespace pontra
