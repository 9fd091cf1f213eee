// pontra-cli write: goes online, writes a value as the "Write Tag" dialog does (a BOOL
// is inverted), prints the tag after the next read and stops.
#include <iostream>

#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "cli/TerminalHost.h"
#include "online/LiveWrites.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct WriteOptions {
    OnlineOptions online;
    std::string tag;
    std::string value;
};

constexpr std::chrono::milliseconds kReadTimeout{5000};

int RunWrite(const WriteOptions& options) {
    TerminalHost host(options.online.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, options.online, "write")) return kExitUsage;
    const CTag* tag = FindMainTag(frame, options.tag);
    if (!tag) {
        std::cerr << "write: no tag '" << options.tag << "' in the main program\n";
        return kExitUsage;
    }
    if (!GoOnline(frame, host)) return kExitFailed;
    int status = kExitFailed;
    // The dialog starts from the live value, so the first read must have come.
    if (WaitForRead(frame, host, kReadTimeout) && WriteTagDialog(frame, nullptr, *tag).Ok(options.value) &&
        WaitForRead(frame, host, kReadTimeout)) {
        std::cout << ValueLine(frame, options.tag) << "\n";
        status = kExitOk;
    }
    GoOffline(frame, host);
    return status;
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
