// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/VerificationLineFilter.h"

#include <cstdlib>

namespace pontra {

namespace {

// The first line of a verification: "Verify " + the main window's title + " ...".
bool StartsVerification(const std::string& line) {
    return line.starts_with("Verify ") && line.ends_with(" ...") &&
           line.find(" - Main Routine (") != std::string::npos;
}

// The last line: "Verify " + the project title + " - N error(s)"; N, or -1 for another line.
int ErrorCount(const std::string& line) {
    constexpr std::string_view kEnd = " error(s)";
    if (!line.starts_with("Verify ") || !line.ends_with(kEnd)) return -1;
    const size_t dash = line.rfind(" - ");
    if (dash == std::string::npos) return -1;
    const std::string number = line.substr(dash + 3, line.size() - kEnd.size() - dash - 3);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::atoi(number.c_str());
}

} // namespace

std::vector<std::string> VerificationLineFilter::Add(const std::string& line) {
    if (!holding_) {
        if (!StartsVerification(line)) return {line};
        holding_ = true;
        held_ = {line};
        return {};
    }
    held_.push_back(line);
    const int errors = ErrorCount(line);
    if (errors < 0) return {};
    holding_ = false;
    std::vector<std::string> lines;
    lines.swap(held_);
    if (errors == 0) lines.clear();
    return lines;
}

std::vector<std::string> VerificationLineFilter::Flush() {
    holding_ = false;
    std::vector<std::string> lines;
    lines.swap(held_);
    return lines;
}

} // namespace pontra
