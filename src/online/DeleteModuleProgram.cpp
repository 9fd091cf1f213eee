// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/DeleteModuleProgram.h"

#include <filesystem>

#include "comm/Printf.h"
#include "comm/TftpClient.h"
#include "online/OnlineSession.h"
#include "online/Pumping.h"
#include "online/TemporaryProgramFile.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"

namespace pontra {

bool DeleteModuleProgram(CMainFrame& frame) {
    OnlineSession& session = frame.online();
    if (!PassesBusyGuard(frame, Command::DeleteModuleProgram) || session.Busy()) return false;
    OnlineSession::BusyScope busy(session);
    Host& host = frame.host();
    if (!PassesDebugGuard(frame, Command::DeleteModuleProgram)) return false;
    if (!host.AskOkCancel("Do you really want Delete Module Program?")) return false;
    const std::string ip = frame.doc().moduleAddressText;
    CRegisterClient& socket = session.Socket();
    if (!RunPumping(host, [&] { return socket.ConnectModule(ip); })) {
        host.Message(Printf("Unable to connect to module with IP: %s!", ip.c_str()));
        return false;
    }
    const std::string folder = host.TempFolder();
    if (folder.empty() || folder.size() >= 4096) {
        host.Message("Unable to get temporary folder!");
        return false;
    }
    // The request needs a local file, although none of it is sent: an empty one of this
    // command's own, removed afterwards.
    TemporaryProgramFile file;
    std::string reason;
    if (!file.Create(folder, reason)) {
        host.Message("Error - Can't open file " + (std::filesystem::path(folder) / "PLCDATA-XXXXXX.bin").string() +
                     "\r\n" + reason);
        return false;
    }
    const std::string& path = file.Path();
    const uint16_t port = session.Ports().tftp;
    const int result = RunPumping(host, [&] {
        CTftpClient client;
        int r = client.StartSend(path, "PlcData_.bin", ip, port, true);
        while (r == kTftpInProgress) r = client.Step();
        return r;
    });
    if (result == kTftpFailed) {
        host.Message("Delete Module Program Error!");
        return false;
    }
    host.Message("Delete Module Program complete successfuly.");
    return true;
}

} // namespace pontra
