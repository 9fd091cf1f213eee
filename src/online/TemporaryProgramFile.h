// SPDX-License-Identifier: GPL-3.0-or-later
// The local file that a transfer with a module needs in the temporary folder (the copy
// of the module's program that the online start reads back, the empty file of the
// program delete). Each gets a name of its own, "PLCDATA-XXXXXX.bin", so that the
// desktop application, pontra-cli and tests can talk to modules side by side; the file
// is removed when the transfer is done.
#pragma once

#include <string>

namespace pontra {

class TemporaryProgramFile {
public:
    TemporaryProgramFile() = default;
    ~TemporaryProgramFile();
    TemporaryProgramFile(const TemporaryProgramFile&) = delete;
    TemporaryProgramFile& operator=(const TemporaryProgramFile&) = delete;

    // Creates the empty file in `folder`. False, with the folder and the system's reason
    // in `error`, when the folder does not take a new file.
    bool Create(const std::string& folder, std::string& error);
    // Its full path, once created.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace pontra
