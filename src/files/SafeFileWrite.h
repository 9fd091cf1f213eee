// SPDX-License-Identifier: GPL-3.0-or-later
// Writing files so that a failure never costs the file that was there: the new content
// goes completely to a temporary file in the same folder (flushed to disk) before any
// existing file is renamed or replaced.
//
// A path is written to, never taken over: a symbolic link is followed and the file it
// names is the one saved (its temporary file and rename in that file's folder); a FIFO or
// a character device (a pipe to another program, /dev/stdout) is written into directly;
// a folder, a block device or a socket is refused, and so is a file whose permission
// bits forbid writing, even where the folder would allow the rename (and for root).
// Every failed write, flush or close is reported.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pontra {

struct SaveTarget {
    std::string path;    // the file to write: the given path with its symbolic links followed
    bool direct = false; // an existing FIFO or character device: written into, not replaced
};

// Where a save to `target` goes. False, with the reason in `error`, for a target that
// cannot be saved to (see above), or a chain of links that does not end.
bool ResolveSaveTarget(const std::string& target, SaveTarget& resolved, std::string& error);

// Writes `bytes` to a new temporary file beside the file `target` names (links
// followed); on success `tempPath` names it. On failure nothing is left behind.
bool WriteTemporaryBeside(const std::string& target, std::span<const uint8_t> bytes, std::string& tempPath,
                          std::string& error);

// Puts a finished temporary file in the place of the file `target` names (links
// followed). With a backup path, an existing file first becomes the backup, replacing an
// older backup. On failure the temporary file is removed and the file is where it was.
bool ReplaceWithTemporary(const std::string& tempPath, const std::string& target, const std::string& backup,
                          std::string& error);

// Writes `bytes` into an existing FIFO or character device. A FIFO that no program reads
// is an error, not a wait.
bool WriteDirect(const std::string& path, std::span<const uint8_t> bytes, std::string& error);

// The whole save, without a backup: the two steps above for a file, a direct write into
// a FIFO or a character device.
bool WriteFileSafely(const std::string& target, std::span<const uint8_t> bytes, std::string& error);

} // namespace pontra
