// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/StartDebugging.h"

#include <fstream>

#include "build/ImageFormat.h"
#include "build/ModuleErrors.h"
#include "build/ProgramCode.h"
#include "build/ProjectLayout.h"
#include "build/VerifyProject.h"
#include "comm/Printf.h"
#include "comm/TftpClient.h"
#include "online/DownloadProgram.h"
#include "online/OnlineSession.h"
#include "online/Pumping.h"
#include "online/TemporaryProgramFile.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

constexpr const char* kRemoteImage = "PlcData_.bin";
constexpr size_t kMaxTempFolder = 4096;

std::string VersionText(int major, int minor) {
    return Printf("%d.%.2d", major, minor);
}

// Verification, layout and code generation as the image build runs them, without a
// file: every tag gets the address the module's copy of the program uses. The layout's
// initial tag memory comes back in `memory`.
bool BuildInMemory(CMainFrame& frame, std::vector<uint8_t>& memory) {
    if (!VerifyProject(frame)) return false;
    ProjectLayout layout;
    if (!LayOutProject(frame.project(), layout) || !LayoutLimitMessage(layout).empty()) return false;
    CodeBuffer code;
    std::vector<CJFB> calls;
    if (!GenerateProgramCode(frame, code, calls) || !ResolveCalls(frame.project(), calls, code)) return false;
    memory = layout.memory;
    memory.resize(static_cast<size_t>(layout.totalSize));
    return true;
}

// The module's program file, read back into the temporary folder.
bool ReadBackProgram(CMainFrame& frame, const std::string& localPath) {
    OnlineSession& session = frame.online();
    const std::string ip = frame.doc().moduleAddressText;
    const uint16_t port = session.Ports().tftp;
    OnlineSession::BusyScope busy(session);
    return RunPumping(frame.host(), [&] {
        CTftpClient client;
        int result = client.StartReceive(localPath, kRemoteImage, ip, port);
        while (result == kTftpInProgress) result = client.Step();
        return result == kTftpFinished;
    });
}

} // namespace

bool StartDebugging(CMainFrame& frame) {
    OnlineSession& session = frame.online();
    if (!PassesBusyGuard(frame, Command::Debug) || session.Busy() || frame.debugMode ||
        session.AwaitingStart())
        return false;
    Host& host = frame.host();
    const CVessaDoc& doc = frame.doc();
    if (doc.pathName.empty()) {
        host.Message("The project is Untitled. Please save the project and than use Download Program.");
        return false;
    }
    if (doc.modified) {
        host.Message("The project is modified. Please save the project and than use Download Program.");
        return false;
    }
    const std::string ip = doc.moduleAddressText;
    std::optional<uint16_t> programStored;
    {
        OnlineSession::BusyScope busy(session);
        CRegisterClient& socket = session.Socket();
        if (!RunPumping(host, [&] { return socket.ConnectModule(ip); })) {
            host.Message(Printf("Unable to connect to module with IP: %s!", ip.c_str()));
            return false;
        }
        programStored = RunPumping(host, [&]() -> std::optional<uint16_t> {
            std::vector<uint16_t> value;
            if (!socket.ReadModuleRegisters(279, 1, value)) return std::nullopt;
            return value[0];
        });
    }
    if (!programStored) {
        host.Message(Printf("Unable to read from module with IP: %s!", ip.c_str()));
        return false;
    }
    if (*programStored == 0) {
        host.Message(Printf("There is not program in module with IP: %s!", ip.c_str()));
        return false;
    }
    session.PostStartStatusRequest();
    return true;
}

bool ContinueStart(CMainFrame& frame, bool succeeded) {
    OnlineSession& session = frame.online();
    Host& host = frame.host();
    const std::string ip = frame.doc().moduleAddressText;
    session.EndAwaitingStart();
    if (!succeeded) {
        host.Message(Printf("Unable to read service information from module with IP: %s!", ip.c_str()));
        return false;
    }
    const ModuleStatus status = session.Status();
    if (status.headerError != 0) {
        host.Message(HeaderErrorMessage(status.headerError));
        return false;
    }
    if (status.errorCode >= 1 && status.errorCode <= 99) {
        host.Message(PrescanErrorMessage(status.errorCode, status.programCounter, status.instruction,
                                         status.rungField));
        return false;
    }
    if (status.timeStamp != frame.doc().timeStamp) {
        if (host.AskOkCancel("The program is different from PLC! Do you want to Download program?"))
            DownloadProgram(frame);
        return false;
    }

    std::vector<uint8_t> memory;
    if (!BuildInMemory(frame, memory)) {
        host.Message("Verify Program Error! See details in Output window.");
        return false;
    }

    const std::string folder = host.TempFolder();
    if (folder.empty() || folder.size() >= kMaxTempFolder) {
        host.Message("Unable to get temporary folder!");
        return false;
    }
    // A copy of its own, so that sessions side by side do not read each other's.
    TemporaryProgramFile copy;
    std::string reason;
    if (!copy.Create(folder, reason)) {
        host.Message("Unable to get temporary folder!\r\n" + reason);
        return false;
    }
    const std::string& localCopy = copy.Path();
    if (!ReadBackProgram(frame, localCopy)) {
        host.Message(
            Printf("Unable to read program information from module with IP: %s by FTP!", ip.c_str()));
        return false;
    }
    uint8_t header[image::kHeaderSize];
    std::ifstream file(localCopy, std::ios::binary);
    if (!file || !file.read(reinterpret_cast<char*>(header), sizeof header)) {
        host.Message(Printf("Unable to read program information from module with IP: %s!", ip.c_str()));
        return false;
    }
    file.close();

    const int major = header[image::kHeaderVersionMajor], minor = header[image::kHeaderVersionMinor];
    const int moduleVersion = major * 100 + minor;
    if (moduleVersion != kOwnVersionMajor * 100 + kOwnVersionMinor)
        host.Message("Module program is made with different Pontra version!\r\nPontra version " +
                     VersionText(kOwnVersionMajor, kOwnVersionMinor) + "\r\nModule program version " +
                     (moduleVersion == 0 ? std::string("is less then 2.01") : VersionText(major, minor)));

    session.EnterDebugMode(std::move(memory));
    return true;
}

void ToggleDebug(CMainFrame& frame) {
    if (!PassesBusyGuard(frame, Command::ToggleDebug)) return;
    if (frame.debugMode)
        frame.online().StopDebugging();
    else
        StartDebugging(frame);
}

} // namespace pontra
