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

// The system follows at most 40 links in a path; a chain longer than that is a loop.
constexpr int kMaxLinks = 40;

std::string SystemError(const std::string& what, int code = errno) {
    return what + ": " + std::strerror(code);
}

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// Makes the renames in a folder durable; a failure here loses nothing already written.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Whether the permission bits let this process write the file. Root may write any file,
// but a project the user made read-only is not to be replaced behind their back: for
// root any write bit counts, for everyone else the bits that apply to them.
bool WriteAllowedByBits(const std::string& path, const struct stat& info) {
    if (::geteuid() == 0) return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    if (info.st_uid == ::geteuid()) return (info.st_mode & S_IWUSR) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Writes all of `bytes` to `fd`; false with errno set on failure.
bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool ResolveSaveTarget(const std::string& target, SaveTarget& resolved, std::string& error) {
    if (target.empty()) {
        error = "no file name given";
        return false;
    }
    fs::path path(target);
    struct stat info {};
    for (int links = 0;; ++links) {
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                error = SystemError("cannot examine " + Quoted(path.string()));
                return false;
            }
            resolved = {path.string(), false}; // a new file (also where a dangling link points)
            return true;
        }
        if (!S_ISLNK(info.st_mode)) break;
        if (links == kMaxLinks) {
            error = SystemError("cannot follow the links of " + Quoted(target), ELOOP);
            return false;
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            error = "cannot read the link " + Quoted(path.string()) + ": " + ec.message();
            return false;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    const std::string name = path.string();
    if (S_ISREG(info.st_mode)) {
        if (!WriteAllowedByBits(name, info)) {
            error = Quoted(name) + " is read-only";
            return false;
        }
        resolved = {name, false};
        return true;
    }
    if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
        resolved = {name, true};
        return true;
    }
    error = Quoted(name) + (S_ISDIR(info.st_mode) ? " is a folder" : " is not a file that can be written");
    return false;
}

bool WriteTemporaryBeside(const std::string& target, std::span<const uint8_t> bytes, std::string& tempPath,
                          std::string& error) {
    SaveTarget resolved;
    if (!ResolveSaveTarget(target, resolved, error)) return false;
    if (resolved.direct) {
        error = Quoted(resolved.path) + " is not a regular file";
        return false;
    }
    const fs::path path(resolved.path);
    const fs::path folder = path.parent_path();
    // "." + a temporary string: GCC 12's -Wrestrict report on it is false.
    PONTRA_GCC_STRING_WRESTRICT_BEGIN
    std::string pattern = (folder / ("." + path.filename().string() + ".saving-XXXXXX")).string();
    PONTRA_GCC_STRING_WRESTRICT_END
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = SystemError("cannot create a file in the folder " +
                            Quoted(folder.empty() ? "." : folder.string()));
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    if (!ok) error = SystemError("cannot write " + Quoted(resolved.path));
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error = SystemError("cannot flush " + Quoted(resolved.path) + " to disk");
    }
    // The temporary file is private; the finished file keeps the permissions of the file
    // it replaces, or gets those of an ordinary document.
    if (ok) {
        struct stat existing {};
        ::fchmod(fd, ::stat(resolved.path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = SystemError("cannot close " + Quoted(resolved.path));
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
    SaveTarget resolved;
    if (!ResolveSaveTarget(target, resolved, error) || resolved.direct) {
        if (resolved.direct) error = Quoted(resolved.path) + " is not a regular file";
        ::unlink(tempPath.c_str());
        return false;
    }
    const std::string& file = resolved.path;
    std::error_code ec;
    const bool hadTarget = !backup.empty() && fs::exists(file, ec);
    if (hadTarget && std::rename(file.c_str(), backup.c_str()) != 0) {
        error = SystemError("cannot rename " + Quoted(file) + " to " + Quoted(backup));
        ::unlink(tempPath.c_str());
        return false;
    }
    if (std::rename(tempPath.c_str(), file.c_str()) != 0) {
        error = SystemError("cannot rename the new file to " + Quoted(file));
        if (hadTarget) std::rename(backup.c_str(), file.c_str());
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolder(fs::path(file).parent_path());
    return true;
}

bool WriteDirect(const std::string& path, std::span<const uint8_t> bytes, std::string& error) {
    // Without O_NONBLOCK, opening a FIFO that nobody reads would wait for a reader forever.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errno == ENXIO ? Quoted(path) + " is a FIFO that no program reads"
                               : SystemError("cannot open " + Quoted(path));
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    bool ok = WriteAll(fd, bytes);
    if (!ok) error = SystemError("cannot write " + Quoted(path));
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = SystemError("cannot close " + Quoted(path));
    }
    return ok;
}

bool WriteFileSafely(const std::string& target, std::span<const uint8_t> bytes, std::string& error) {
    SaveTarget resolved;
    if (!ResolveSaveTarget(target, resolved, error)) return false;
    if (resolved.direct) return WriteDirect(resolved.path, bytes, error);
    std::string temp;
    return WriteTemporaryBeside(resolved.path, bytes, temp, error) &&
           ReplaceWithTemporary(temp, resolved.path, "", error);
}

} // namespace pontra
