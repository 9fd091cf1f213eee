// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/TemporaryProgramFile.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace pontra {

namespace {

constexpr const char* kPattern = "PLCDATA-XXXXXX.bin";
constexpr int kSuffixLength = 4; // ".bin"

} // namespace

TemporaryProgramFile::~TemporaryProgramFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

bool TemporaryProgramFile::Create(const std::string& folder, std::string& error) {
    std::string pattern = (std::filesystem::path(folder) / kPattern).string();
    const int fd = ::mkstemps(pattern.data(), kSuffixLength);
    if (fd < 0) {
        error = "Can't create a file in the temporary folder '" + folder + "': " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    path_ = pattern;
    return true;
}

} // namespace pontra
