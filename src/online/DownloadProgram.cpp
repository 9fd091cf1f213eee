// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/DownloadProgram.h"

#include <chrono>

#include "build/ProgramImage.h"
#include "comm/Printf.h"
#include "comm/TftpClient.h"
#include "online/ImageSize.h"
#include "online/ModuleChecks.h"
#include "online/OnlineSession.h"
#include "online/Pumping.h"
#include "shell/CommandGuards.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

constexpr const char* kRemoteImage = "PlcData_.bin";
constexpr const char* kDownloadError = "Download Error! See Output window for description.";
constexpr int kProgressRange = 100;
constexpr int kStepPaceMs = 2; // the least time between two blocks, spent pumping

// Shows the download bar for as long as the transfer part of the command runs.
class DownloadBar {
public:
    explicit DownloadBar(CMainFrame& frame) : frame_(frame) {
        frame_.downloadInProgress = true;
        frame_.host().ShowProgress("Download Program:", true);
        frame_.host().SetProgress(0, kProgressRange);
    }
    ~DownloadBar() {
        frame_.host().ShowProgress("Download Program:", false);
        frame_.downloadInProgress = false;
    }
    void Set(int position) { frame_.host().SetProgress(position, kProgressRange); }

private:
    CMainFrame& frame_;
};

class Download {
public:
    explicit Download(CMainFrame& frame)
        : frame_(frame), host_(frame.host()), session_(frame.online()), ip_(frame.doc().moduleAddressText) {}

    bool Run(const std::function<bool()>& save);

private:
    bool Refuse(const std::string& message) {
        host_.Message(message);
        return false;
    }
    std::string Ip(const char* format) const { return Printf(format, ip_.c_str()); }
    std::optional<uint16_t> ReadRegister(int reg);
    bool CheckModule();
    bool Transfer(const std::string& imagePath);

    CMainFrame& frame_;
    Host& host_;
    OnlineSession& session_;
    std::string ip_;
    uint32_t limit_ = 0;
};

std::optional<uint16_t> Download::ReadRegister(int reg) {
    CRegisterClient& socket = session_.Socket();
    return RunPumping(host_, [&]() -> std::optional<uint16_t> {
        std::vector<uint16_t> value;
        if (!socket.ReadModuleRegisters(reg, 1, value)) return std::nullopt;
        return value[0];
    });
}

bool Download::CheckModule() {
    CRegisterClient& socket = session_.Socket();
    if (!RunPumping(host_, [&] { return socket.ConnectModule(ip_); }))
        return Refuse(Ip("Unable to connect to module with IP: %s!"));
    std::vector<uint16_t> typeAndMode;
    const bool haveType = RunPumping(host_, [&] { return socket.ReadModuleRegisters(17, 2, typeAndMode); });
    const auto memory = haveType ? ReadRegister(511) : std::nullopt;
    if (!memory) return Refuse(Ip("Unable to read from module with IP: %s!"));
    limit_ = ProgramMemoryLimit(*memory);

    const std::string& type = frame_.doc().controllerType;
    const ModuleIdentityRule* rule = FindIdentityRule(type);
    if (!rule) return true;
    switch (CheckModuleIdentity(*rule, typeAndMode[0] >> 8, typeAndMode[1], frame_.restrictedRead,
                                [this](int reg) { return ReadRegister(reg); })) {
    case ModuleCheck::Passed: return true;
    case ModuleCheck::ReadFailed: return Refuse(Ip("Unable to read from module with IP: %s!"));
    case ModuleCheck::WrongType: return Refuse(IdentityRefusal(*rule, ip_));
    case ModuleCheck::FirmwareTooOld: return Refuse(std::string(kFirmwareRefusal) + "!");
    }
    return false;
}

bool Download::Transfer(const std::string& imagePath) {
    DownloadBar bar(frame_);
    const auto measured = MeasureImage(imagePath);
    if (!measured) {
        frame_.output.AddOutputLine("Error - Can't open file " + imagePath);
        return Refuse(kDownloadError);
    }
    const uint64_t size = measured->size;
    if (!FitsProgramMemory(size, limit_)) {
        const std::string text =
            Printf("Error - Downloaded file can not exceed %d bytes!", static_cast<int>(limit_));
        frame_.output.AddOutputLine(text);
        return Refuse(text);
    }

    const int total = static_cast<int>(size + 2);
    const int blocks = (total + 511) / 512;
    const uint16_t port = session_.Ports().tftp;
    CTftpClient client;
    int result = RunPumping(host_, [&] { return client.StartSend(imagePath, kRemoteImage, ip_, port); });
    const auto progressLine = [&] {
        return Printf("Downloading %s to %s (%d of %d)... ", imagePath.c_str(), ip_.c_str(),
                      static_cast<int>(client.GetBytesDone()), total);
    };
    for (int step = 1; result == kTftpInProgress; ++step) {
        const auto started = std::chrono::steady_clock::now();
        result = RunPumping(host_, [&] { return client.Step(); });
        frame_.output.AddOutputLine(progressLine());
        bar.Set(DownloadProgressPosition(step, blocks));
        const auto spent =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        if (spent.count() < kStepPaceMs)
            host_.Wait(kStepPaceMs - static_cast<int>(spent.count()));
        else
            host_.PumpEvents();
    }
    if (result != kTftpFinished) {
        frame_.output.AddOutputLine(progressLine() + "Error: " + client.GetErrorText());
        frame_.output.AddOutputLine(kDownloadError);
        return Refuse(kDownloadError);
    }
    frame_.output.AddOutputLine(progressLine() + "FTP upload OK. ");
    client.Close();

    host_.Wait(session_.restartWaitMs); // the module restarts its program meanwhile
    bar.Set(kProgressRange);
    const std::string done =
        Printf("Download complete successfuly (Program memory = %d %% (from %d bytes), Tags = %d bytes).",
               static_cast<int>(size * 100 / limit_), static_cast<int>(limit_),
               static_cast<int>(measured->tagsSize));
    frame_.output.AddOutputLine(done);
    host_.Message(done);
    session_.CountDownload();
    return true;
}

bool Download::Run(const std::function<bool()>& save) {
    frame_.restrictedRead = false;
    if (!PassesDebugGuard(frame_, Command::DownloadProgram)) return false;
    if (!host_.AskOkCancel("Do you really want Download Program?")) return false;
    const CVessaDoc& doc = frame_.doc();
    if (doc.pathName.empty())
        return Refuse(
            "The project is Untitled. Please first save the project and than use Download Program.");
    if (doc.modified) {
        if (!host_.AskOkCancel("The project is modified. Do you want to save it before Download Program?"))
            return false;
        if (!(save ? save() : SaveDocument(frame_))) return false;
    }
    std::string imagePath;
    if (!BuildProgramImage(frame_, imagePath, false)) {
        frame_.output.AddOutputLine("Make .bin File Error!");
        return Refuse(kDownloadError);
    }
    ip_ = frame_.doc().moduleAddressText;
    return CheckModule() && Transfer(imagePath);
}

} // namespace

int DownloadProgressPosition(int step, int blocks) {
    return blocks > 0 ? 80 / blocks * step + 10 : 10;
}

bool DownloadProgram(CMainFrame& frame, const std::function<bool()>& save) {
    OnlineSession& session = frame.online();
    if (!PassesBusyGuard(frame, Command::DownloadProgram) || session.Busy()) return false;
    OnlineSession::BusyScope busy(session);
    return Download(frame).Run(save);
}

} // namespace pontra
