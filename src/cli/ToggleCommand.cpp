// pontra-cli toggle: goes online, inverts a BOOL tag ("Toggle Bit"), prints it after the
// next read and stops.
#include <iostream>

#include "cli/Commands.h"
#include "cli/OnlineSupport.h"
#include "cli/TerminalHost.h"
#include "model/Tag.h"
#include "online/LiveWrites.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct ToggleOptions {
    OnlineOptions online;
    std::string tag;
};

constexpr std::chrono::milliseconds kReadTimeout{5000};

int RunToggle(const ToggleOptions& options) {
    TerminalHost host(options.online.yes);
    CMainFrame frame(host);
    if (!OpenOnline(frame, options.online, "toggle")) return kExitUsage;
    const CTag* tag = FindMainTag(frame, options.tag);
    if (!tag || tag->dataType != "BOOL") {
        std::cerr << "toggle: no BOOL tag '" << options.tag << "' in the main program\n";
        return kExitUsage;
    }
    if (!GoOnline(frame, host)) return kExitFailed;
    int status = kExitFailed;
    if (WaitForRead(frame, host, kReadTimeout) && ToggleVariable(frame, nullptr, options.tag) &&
        WaitForRead(frame, host, kReadTimeout)) {
        std::cout << ValueLine(frame, options.tag) << "\n";
        status = kExitOk;
    }
    GoOffline(frame, host);
    return status;
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
