// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the project's own programs as child processes and collects what they print.
#pragma once

#include <string>
#include <vector>

namespace pontra {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `args`, feeding `input` on stdin; waits at most `timeoutSeconds`.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "", int timeoutSeconds = 60);

// Path of a binary built by this project (e.g. "src/cli/pontra-cli").
std::string BuiltBinary(const std::string& relative);

// Runs pontra-cli.
ProcessResult RunCli(const std::vector<std::string>& args, const std::string& input = "");

}  // namespace pontra
