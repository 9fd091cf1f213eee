// SPDX-License-Identifier: GPL-3.0-or-later
// One module of a list download: the record its worker thread fills, and the worker
// itself (identity checks as the single download makes them, then the TFTP upload).
// Every worker has its own sockets and writes only its own record.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "online/OnlineSession.h"

namespace pontra {

struct ModuleIdentityRule;

enum ModuleJobState : int { kJobToStart = 1, kJobSucceeded = 3, kJobFailed = 4 };

struct ModuleDownloadJob {
    std::string imagePath;
    std::string remoteName = "PlcData_.bin";
    std::string address;
    uint64_t imageSize = 0; // S: bytes of the image file
    const ModuleIdentityRule* rule = nullptr;
    bool restrictedRead = false;
    ModulePorts ports;

    int state = kJobToStart;
    std::string error; // at most kMaxJobError characters
    // Cleared by the worker as its last act; the record is read only after that.
    std::atomic<bool> running{false};
};

constexpr size_t kMaxJobError = 199;

// The worker's body; runs on its own thread and clears `job.running` when it ends.
void ModuleDownloadWorker(ModuleDownloadJob& job);

} // namespace pontra
