// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ModuleDownloadWorker.h"

#include "comm/Printf.h"
#include "comm/RegisterClient.h"
#include "comm/TftpClient.h"
#include "model/VessaDoc.h"
#include "online/ModuleChecks.h"

namespace pontra {

namespace {

void Fail(ModuleDownloadJob& job, const std::string& error) {
    job.error = error.substr(0, kMaxJobError);
    job.state = kJobFailed;
}

void Work(ModuleDownloadJob& job) {
    // A line of the list that is no dotted address is not looked up as a host name.
    uint32_t address = 0;
    if (!ParseModuleAddress(job.address, address)) return Fail(job, "Not a module address (A.B.C.D)");
    CRegisterClient socket(job.ports.modbus);
    socket.SetNodeAddress(job.address);
    if (!socket.ConnectModule(job.address)) return Fail(job, "Unable to connect to module");
    std::vector<uint16_t> typeAndMode;
    if (!socket.ReadModuleRegisters(17, 2, typeAndMode)) return Fail(job, "Unable to read from module");
    const auto read = [&socket](int reg) -> std::optional<uint16_t> {
        std::vector<uint16_t> value;
        if (!socket.ReadModuleRegisters(reg, 1, value)) return std::nullopt;
        return value[0];
    };
    switch (CheckModuleIdentity(*job.rule, typeAndMode[0] >> 8, typeAndMode[1], job.restrictedRead, read)) {
    case ModuleCheck::Passed: break;
    case ModuleCheck::ReadFailed: return Fail(job, "Unable to read from module");
    case ModuleCheck::WrongType: return Fail(job, ListIdentityRefusal(*job.rule));
    case ModuleCheck::FirmwareTooOld: return Fail(job, kFirmwareRefusal);
    }
    socket.Close();

    CTftpClient client;
    int result = client.StartSend(job.imagePath, job.remoteName, job.address, job.ports.tftp, false);
    while (result == kTftpInProgress) result = client.Step();
    if (result == kTftpFinished) {
        job.state = kJobSucceeded;
        return;
    }
    Fail(job, Printf("Downloading %s (%d of %d) Error: %s", job.remoteName.c_str(),
                     static_cast<int>(client.GetBytesDone()), static_cast<int>(job.imageSize + 2),
                     client.GetErrorText().c_str()));
}

} // namespace

void ModuleDownloadWorker(ModuleDownloadJob& job) {
    Work(job);
    job.running.store(false, std::memory_order_release);
}

} // namespace pontra
