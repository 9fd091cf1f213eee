// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SafeFileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "model/CompilerQuirks.h"

namespace pontra {

namespace fs = std::filesystem;

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// Makes the renames in a folder durable; a failure here loses nothing already written.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool WriteTemporaryBeside(const std::string& target, std::span<const uint8_t> bytes, std::string& tempPath,
                          std::string& error) {
    const fs::path path(target);
    // "." + a temporary string: GCC 12's -Wrestrict report on it is false.
    PONTRA_GCC_STRING_WRESTRICT_BEGIN
    std::string pattern = (path.parent_path() / ("." + path.filename().string() + ".saving-XXXXXX")).string();
    PONTRA_GCC_STRING_WRESTRICT_END
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = SystemError("cannot create a file in the folder of '" + target + "'");
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bool ok = done == bytes.size();
    if (!ok) error = SystemError("cannot write '" + target + "'");
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error = SystemError("cannot flush '" + target + "' to disk");
    }
    // The temporary file is private; the finished file keeps the permissions of the file
    // it replaces, or gets those of an ordinary document.
    if (ok) {
        struct stat existing {};
        ::fchmod(fd, ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = SystemError("cannot close '" + target + "'");
    }
    if (!ok) {
        ::unlink(pattern.c_str());
        return false;
    }
    tempPath = pattern;
    return true;
}

bool ReplaceWithTemporary(const std::string& tempPath, const std::string& target, const std::string& backup,
                          std::string& error) {
    std::error_code ec;
    const bool hadTarget = !backup.empty() && fs::exists(target, ec);
    if (hadTarget && std::rename(target.c_str(), backup.c_str()) != 0) {
        error = SystemError("cannot rename '" + target + "' to '" + backup + "'");
        ::unlink(tempPath.c_str());
        return false;
    }
    if (std::rename(tempPath.c_str(), target.c_str()) != 0) {
        error = SystemError("cannot rename the new file to '" + target + "'");
        if (hadTarget) std::rename(backup.c_str(), target.c_str());
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolder(fs::path(target).parent_path());
    return true;
}

bool WriteFileSafely(const std::string& target, std::span<const uint8_t> bytes, std::string& error) {
    std::string temp;
    return WriteTemporaryBeside(target, bytes, temp, error) && ReplaceWithTemporary(temp, target, "", error);
}

}  // namespace pontra
