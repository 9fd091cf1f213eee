// pontra-cli: the Pontra core without a window.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/ProjectJson.h"
#include "cli/TerminalHost.h"
#include "model/ControllerTypes.h"
#include "model/Project.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

bool KnownControllerType(const std::string& type) { return !pontra::ControllerTagList(type).empty(); }

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"pontra-cli: build, inspect and download Vessa zone-control programs without a window"};
    app.require_subcommand(1);

    auto* dump = app.add_subcommand("dump", "print a project as JSON");
    bool fresh = false;
    std::string type = "Vessa";
    dump->add_flag("--new", fresh, "dump a new in-memory project instead of a file");
    dump->add_option("--type", type, "controller type of the new project");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? 0 : kExitUsage;
    }

    if (dump->parsed()) {
        if (!fresh) {
            std::cerr << "dump: give --new (reading project files comes with the file format)\n";
            return kExitUsage;
        }
        if (!KnownControllerType(type)) {
            std::cerr << "dump: unknown controller type '" << type << "'\n";
            return kExitUsage;
        }
        auto project = pontra::NewProject(type);
        std::cout << pontra::ProjectToJson(*project).dump(2) << "\n";
        return 0;
    }
    return kExitFailed;
}
