// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli subcommands. Each command lives in its own file and registers itself with
// the application through one Add...Command function called from main.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <vector>

namespace pontra {

// Exit status of every command: 0 success, 1 the operation failed (verification
// errors, module refused, transfer failed, question answered Cancel), 2 usage error or
// unreadable input.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct CliCommand {
    CLI::App* app = nullptr;
    std::function<int()> run;
};
using CommandList = std::vector<CliCommand>;

void AddDumpCommand(CLI::App& app, CommandList& commands);
void AddNewCommand(CLI::App& app, CommandList& commands);
void AddSetCommand(CLI::App& app, CommandList& commands);
void AddVerifyCommand(CLI::App& app, CommandList& commands);
void AddMakeBinCommand(CLI::App& app, CommandList& commands);
void AddExportCommand(CLI::App& app, CommandList& commands);
void AddImportCommand(CLI::App& app, CommandList& commands);
void AddDownloadCommand(CLI::App& app, CommandList& commands);
void AddDownloadListCommand(CLI::App& app, CommandList& commands);
void AddDeleteProgramCommand(CLI::App& app, CommandList& commands);
void AddDebugCommand(CLI::App& app, CommandList& commands);
void AddWriteCommand(CLI::App& app, CommandList& commands);
void AddToggleCommand(CLI::App& app, CommandList& commands);
void AddModeCommand(CLI::App& app, CommandList& commands);
void AddTestCommand(CLI::App& app, CommandList& commands);
void AddDiffCommand(CLI::App& app, CommandList& commands);
void AddTextconvCommand(CLI::App& app, CommandList& commands);
void AddXrefCommand(CLI::App& app, CommandList& commands);

}  // namespace pontra
