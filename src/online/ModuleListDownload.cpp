// SPDX-License-Identifier: GPL-3.0-or-later
// "Download to All Modules" of the module list dialog: one worker per listed module, all
// at once, while the model's thread keeps pumping until every worker has ended.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>

#include "build/ProgramImage.h"
#include "build/VerifyProject.h"
#include "online/ModuleChecks.h"
#include "online/ModuleDownloadWorker.h"
#include "online/ModuleList.h"
#include "online/OnlineSession.h"
#include "online/WorkerThread.h"
#include "shell/CommandGuards.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

// Workers running at one time. Lines have a few dozen modules; a list file of thousands
// must not start thousands of threads, so the rest wait for a free place.
constexpr size_t kMaxWorkers = 256;

} // namespace

bool ModuleListDialog::DownloadToAllModules() {
    Host& host = frame_.host();
    OnlineSession& session = frame_.online();
    if (session.Busy() || !PassesBusyGuard(frame_, Command::DownloadProgramToModules)) return false;
    if (addresses.empty()) {
        host.Message("List of modules is empty!");
        return false;
    }
    frame_.restrictedRead = false;
    if (!PassesDebugGuard(frame_, Command::DownloadProgramToModules)) return false;
    const CVessaDoc& doc = frame_.doc();
    if (doc.pathName.empty()) {
        host.Message("The project is Untitled. Please first save the project.");
        return false;
    }
    if (doc.modified) {
        if (!host.AskOkCancel("The project is modified. Do you want to save it before Download to Modules?"))
            return false;
        if (!SaveDocument(frame_)) return false;
    }
    if (!VerifyProject(frame_)) {
        output.push_back("Verify Program Error");
        host.Message("Verify Program Error!");
        return false;
    }
    std::string built;
    if (!BuildProgramImage(frame_, built, false)) {
        output.push_back("Calculate Program Error");
        host.Message("Calculate Program Error!");
        return false;
    }
    const std::string imagePath =
        (std::filesystem::path(frame_.doc().pathName).parent_path() / ImageFileName(frame_.doc())).string();
    std::ifstream image(imagePath, std::ios::binary | std::ios::ate);
    if (!image) {
        output.push_back("Error - Can't open file " + imagePath);
        return false;
    }
    const auto imageSize = static_cast<uint64_t>(image.tellg());
    image.close();

    output.clear();
    OnlineSession::BusyScope busy(session);
    const ModuleIdentityRule& rule = ListIdentityRule(frame_.doc().controllerType);
    std::list<ModuleDownloadJob> jobs; // records never move while their workers run
    for (const auto& address : addresses) {
        ModuleDownloadJob& job = jobs.emplace_back();
        job.imagePath = imagePath;
        job.address = address;
        job.imageSize = imageSize;
        job.rule = &rule;
        job.restrictedRead = frame_.restrictedRead;
        job.ports = session.Ports();
        output.push_back(address + "...");
    }

    succeeded = failed = 0;
    if (onOutputChanged) onOutputChanged(-1);
    std::vector<std::unique_ptr<WorkerThread>> threads;
    std::vector<ModuleDownloadJob*> started;
    std::vector<bool> reported;
    // Each line takes its result once its worker has ended, so a front end can show the
    // results as they come.
    const auto report = [&] {
        for (size_t i = 0; i < started.size(); ++i) {
            if (reported[i] || started[i]->running.load(std::memory_order_acquire)) continue;
            reported[i] = true;
            const bool ok = started[i]->state == kJobSucceeded;
            ++(ok ? succeeded : failed);
            output[i] = started[i]->address + " " + (ok ? std::string("OK") : started[i]->error);
            if (onOutputChanged) onOutputChanged(static_cast<int>(i));
        }
    };
    auto next = jobs.begin();
    const auto running = [&] {
        return static_cast<size_t>(std::count_if(jobs.begin(), next, [](const ModuleDownloadJob& j) {
            return j.running.load(std::memory_order_acquire);
        }));
    };
    while (true) {
        for (size_t free = kMaxWorkers - running(); free > 0 && next != jobs.end(); --free, ++next) {
            next->running = true;
            ModuleDownloadJob* job = &*next;
            started.push_back(job);
            reported.push_back(false);
            threads.push_back(std::make_unique<WorkerThread>([job] { ModuleDownloadWorker(*job); }));
        }
        if (next == jobs.end() && running() == 0) break;
        host.Wait(1);
        report();
    }
    for (auto& thread : threads) thread->Join();
    report();

    const bool allOk = failed == 0;
    host.Message(allOk ? "Download to Modules complete successfully." : "Download to Modules Error!");
    return allOk;
}

} // namespace pontra
