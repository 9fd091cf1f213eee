// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/OutputCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/Commands.h"

namespace pontra {

int CheckedOutput(int status) {
    // The streams are synchronised with stdio: the bytes sit in stdout's buffer.
    // A write that failed earlier left its reason in errno unless a later call failed.
    const int earlier = errno;
    errno = 0;
    std::cout.flush();
    const bool written = std::fflush(stdout) == 0 && std::cout.good() && !std::ferror(stdout);
    if (written) return status;
    const int code = errno ? errno : earlier;
    std::cerr << "pontra-cli: cannot write the output"
              << (code ? std::string(": ") + std::strerror(code) : "") << "\n";
    return status == kExitOk ? kExitFailed : status;
}

} // namespace pontra
