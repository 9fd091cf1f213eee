// SPDX-License-Identifier: GPL-3.0-or-later
// The online commands build the program before they go online or download, and the
// build writes its verification lines ("Verify ... ...", errors and warnings, "Verify
// ... - N error(s)") to the output window. On a terminal these say nothing when they
// hold no error: the filter holds them back and lets them through only with an error.
#pragma once

#include <string>
#include <vector>

namespace pontra {

class VerificationLineFilter {
public:
    // The lines to print now for one more output line: none while a verification is
    // under way, all of it when it ends with errors, the line itself otherwise.
    std::vector<std::string> Add(const std::string& line);
    // What is held when the output ends inside a verification.
    std::vector<std::string> Flush();

private:
    bool holding_ = false;
    std::vector<std::string> held_;
};

} // namespace pontra
