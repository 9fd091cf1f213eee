// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli test: runs scenario files against the project's program, in process on the
// soft module's ladder machine with a simulated clock, or with --module on a module over
// the network in real time. Exit 0 when every test passed, 1 when any failed (or the
// program does not build), 2 for an error in a scenario file or the command line.
#include <fstream>
#include <iostream>

#include "cli/Commands.h"
#include "cli/TerminalHost.h"
#include "model/VessaDoc.h"
#include "online/OnlineSession.h"
#include "scenario/JUnitReport.h"
#include "scenario/NetworkModule.h"
#include "scenario/ScenarioSuite.h"
#include "scenario/SimulatedModuleFactory.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

struct TestOptions {
    std::string file;
    std::vector<std::string> scenarios;
    std::string junit;
    uint32_t scanMs = 10;
    std::string module;
    uint16_t modbusPort = ModbusPort();
    uint16_t tftpPort = TftpPort();
    uint16_t udpPort = UdpPort();
    bool yes = false;
};

void PrintResult(const scenario::TestResult& r) {
    std::cout << (r.Passed() ? "PASS " : "FAIL ") << r.path << ": \"" << r.name << "\" (" << r.simulatedMs
              << " ms)\n";
    for (const auto& f : r.failures) std::cout << "  " << f.Text() << "\n";
    std::cout << std::flush;
}

int RunTest(const TestOptions& options) {
    uint32_t address = 0;
    if (!options.module.empty() && !ParseModuleAddress(options.module, address)) {
        std::cerr << "test: '" << options.module << "' is no module address (A.B.C.D)\n";
        return kExitUsage;
    }
    // Every scenario file is read and parsed before the project is even opened.
    scenario::ScenarioSuite suite;
    std::vector<scenario::ScenarioError> errors;
    if (!suite.Load(options.scenarios, errors)) {
        for (const auto& e : errors) std::cerr << e.Text() << "\n";
        return kExitUsage;
    }

    TerminalHost host(options.yes);
    CMainFrame frame(host);
    if (!OpenDocument(frame, options.file)) return kExitUsage;
    // The in-process build also lays out the tag memory the scenarios are checked against.
    auto simulated = scenario::MakeSimulatedModule(frame, options.scanMs);
    if (!simulated) {
        std::cerr << "test: the program does not build\n";
        return kExitFailed;
    }
    if (!suite.Bind(frame.project(), errors)) {
        for (const auto& e : errors) std::cerr << e.Text() << "\n";
        return kExitUsage;
    }

    std::unique_ptr<scenario::NetworkModule> network;
    scenario::ScenarioTarget* target = simulated.get();
    if (!options.module.empty()) {
        frame.doc().SetModuleAddress(address);
        frame.online().SetPorts({options.modbusPort, options.tftpPort, options.udpPort});
        network = std::make_unique<scenario::NetworkModule>(frame, options.scanMs);
        target = network.get();
    }
    const auto results = suite.Run(*target, PrintResult);
    size_t failed = 0;
    for (const auto& r : results) failed += r.Passed() ? 0 : 1;
    std::cout << results.size() << " tests: " << results.size() - failed << " passed, " << failed << " failed\n";

    if (!options.junit.empty()) {
        std::ofstream out(options.junit, std::ios::binary | std::ios::trunc);
        out << scenario::JUnitReport::Xml(suite.Paths(), results);
        out.close();
        if (!out) {
            std::cerr << "test: cannot write " << options.junit << "\n";
            return kExitFailed;
        }
    }
    return failed == 0 ? kExitOk : kExitFailed;
}

}  // namespace

void AddTestCommand(CLI::App& app, CommandList& commands) {
    auto options = std::make_shared<TestOptions>();
    CLI::App* sub = app.add_subcommand("test", "run scenario tests of the program (simulated clock, or a module)");
    sub->add_option("file", options->file, "project file (.clp)")->required();
    sub->add_option("scenarios", options->scenarios, "scenario files")->required();
    sub->add_option("--junit", options->junit, "write the results as JUnit XML to this file");
    sub->add_option("--scan-ms", options->scanMs, "scan period in milliseconds (default 10)")
        ->check(CLI::Range(1, 10000));
    sub->add_option("--module", options->module,
                    "run on the module at A.B.C.D in real time (download first) instead of in process");
    sub->add_option("--modbus-port", options->modbusPort, "the module's register protocol port (TCP)")
        ->check(CLI::Range(1, 65535));
    sub->add_option("--tftp-port", options->tftpPort, "the module's TFTP port")->check(CLI::Range(1, 65535));
    sub->add_option("--udp-port", options->udpPort, "the module's datagram channel port")
        ->check(CLI::Range(1, 65535));
    sub->add_flag("--yes", options->yes, "answer OK/Yes to every question (the download's, with --module)");
    commands.push_back({sub, [options] { return RunTest(*options); }});
}

}  // namespace pontra
