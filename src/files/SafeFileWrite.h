// SPDX-License-Identifier: GPL-3.0-or-later
// Writing files so that a failure never costs the file that was there: the new content
// goes completely to a temporary file in the same folder (flushed to disk) before any
// existing file is renamed or replaced.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pontra {

// Writes `bytes` to a new temporary file beside `target`; on success `tempPath` names it.
// On failure nothing is left behind.
bool WriteTemporaryBeside(const std::string& target, std::span<const uint8_t> bytes, std::string& tempPath,
                          std::string& error);

// Puts a finished temporary file in the place of `target`. With a backup path, an
// existing target first becomes the backup, replacing an older backup. On failure the
// temporary file is removed and the target is where it was.
bool ReplaceWithTemporary(const std::string& tempPath, const std::string& target, const std::string& backup,
                          std::string& error);

// Both steps, without a backup.
bool WriteFileSafely(const std::string& target, std::span<const uint8_t> bytes, std::string& error);

}  // namespace pontra
