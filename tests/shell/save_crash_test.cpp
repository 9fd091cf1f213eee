// SPDX-License-Identifier: GPL-3.0-or-later
// Saves that survive a crash: a child process saving a large project is killed
// (SIGKILL) before and after each of its system calls in turn. After every kill the
// project file, or when it is missing its "_Backup" copy, reads back whole as the
// project before the save or the one being saved; a present but broken file never.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "files/ProjectReader.h"
#include "files/SampleProject.h"
#include "host/ScriptedHost.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

namespace fs = std::filesystem;

constexpr int kNoTrace = 3;  // the child's status when it may not be traced

// The sample project with hundreds more rungs and tags: a file of half a megabyte,
// larger than most projects a module can run.
std::unique_ptr<CProject> LargeProject() {
    auto project = test::SampleProject();
    const CRung& model = *project->doc.rungs[0];
    for (int i = 0; i < 300; ++i) {
        auto rung = std::make_unique<CRung>();
        rung->comment = "Zone " + std::to_string(i);
        for (const auto& element : model.elements) rung->Append(CopyElement(*element, rung.get()));
        project->doc.rungs.push_back(std::move(rung));
        project->doc.tags.push_back(test::MakeTag(*project, "Zone" + std::to_string(i), "DINT", "7"));
    }
    return project;
}

struct Snapshot {
    uint32_t revision = 0;
    size_t rungs = 0, tags = 0;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Of(const CProject& project) {
    return {project.doc.version.revision, project.doc.rungs.size(), project.doc.tags.size()};
}

std::string Describe(const Snapshot& s) {
    return "revision " + std::to_string(s.revision) + ", " + std::to_string(s.rungs) + " rungs, " +
           std::to_string(s.tags) + " tags";
}

// How a save is stopped: at a system call stop (entry to or exit from a call, counted
// from the start of the save), or, where the system forbids tracing, after a time.
struct KillPoint {
    int stop = -1;  // -1: not at a stop
    std::chrono::microseconds after{-1};
};

struct SaveRun {
    bool finished = false;  // the save ran to its end and succeeded
    bool traced = true;
    int stops = 0;  // system call stops seen
    std::chrono::microseconds took{0};
};

// Forks; the child saves the frame's project to `path` and exits. The parent traces its
// system calls and kills it at `kill` (never when it is unset).
SaveRun RunSave(CMainFrame& frame, const std::string& path, KillPoint kill, bool trace) {
    SaveRun run;
    run.traced = trace;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (trace && ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(kNoTrace);
        ::raise(SIGSTOP);
        ::_exit(SaveDocumentTo(frame, path) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, WUNTRACED);
    if (!WIFSTOPPED(status)) {
        run.traced = false;
        return run;
    }
    const auto start = std::chrono::steady_clock::now();
    auto ended = [&](int s) {
        run.took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        run.finished = WIFEXITED(s) && WEXITSTATUS(s) == 0;
        return run;
    };
    if (!trace) {
        ::kill(pid, SIGCONT);
        if (kill.after.count() >= 0) {
            std::this_thread::sleep_for(kill.after);
            ::kill(pid, SIGKILL);
        }
        ::waitpid(pid, &status, 0);
        return ended(status);
    }
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    int deliver = 0;
    for (;;) {
        ::ptrace(PTRACE_SYSCALL, pid, nullptr, deliver);
        deliver = 0;
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status) || WIFSIGNALED(status)) return ended(status);
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            deliver = WSTOPSIG(status);  // not ours: the child gets it
            continue;
        }
        if (run.stops++ == kill.stop) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return ended(status);
        }
    }
}

struct Case {
    const char* name;
    bool ownFile;      // saving over the project's own file (else Save As over another project file)
    bool olderBackup;  // a backup from an earlier save is there
    bool plainSave;    // the plain-save flag
};

class SaveCrash : public ::testing::TestWithParam<Case> {};

TEST_P(SaveCrash, ProjectFileOrBackupAlwaysReadsBackWhole) {
    const Case& c = GetParam();
    TempDir dir;
    ScriptedHost host;
    CMainFrame frame(host);
    frame.SetProject(LargeProject());
    frame.plainSave = c.plainSave;
    const std::string path = dir.File("Line.clp"), backup = dir.File("Line_Backup.clp");

    // The files as they are before the save: the project saved once or twice, or another project.
    ASSERT_TRUE(SaveDocumentTo(frame, c.ownFile ? path : dir.File("Other.clp")));
    if (c.olderBackup) {
        ASSERT_TRUE(SaveDocumentTo(frame, path));
    }
    if (!c.ownFile) {
        ASSERT_TRUE(fs::copy_file(dir.File("Other.clp"), path));
    }
    const auto before = ReadBytes(path), backupBefore = ReadBytes(backup);
    const bool hadBackup = fs::exists(backup);
    auto old = ReadProject(before);
    ASSERT_TRUE(old.project) << old.error;
    const Snapshot oldState = Of(*old.project);

    // What is being saved: one rung more.
    frame.doc().rungs.push_back(NewRung());
    frame.SetModified(true);
    Snapshot newState = Of(frame.project());
    const uint32_t revision = frame.doc().version.revision;
    newState.revision = c.plainSave ? revision : c.ownFile ? revision + 1 : 1;

    auto restore = [&] {
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            if (entry.path().filename().string().starts_with(".")) fs::remove(entry.path());
        WriteBytes(path, before);
        if (hadBackup) WriteBytes(backup, backupBefore);
        else fs::remove(backup);
    };
    // The old bytes are known to read back; a new file is read once per content.
    std::vector<uint8_t> knownNew;
    auto check = [&](const std::string& where) {
        const bool present = fs::exists(path);
        if (!present) {
            ASSERT_TRUE(c.ownFile && !c.plainSave) << where << ": the file is gone and there is no backup";
            ASSERT_TRUE(fs::exists(backup)) << where << ": neither the file nor its backup is there";
        }
        const auto bytes = ReadBytes(present ? path : backup);
        if (bytes == before || (present && bytes == knownNew)) return;
        auto read = ReadProject(bytes);
        ASSERT_TRUE(read.project) << where << ": " << (present ? "the file" : "the backup") << " does not read: "
                                  << read.error;
        const Snapshot s = Of(*read.project);
        ASSERT_TRUE(present && s == newState)
            << where << ": " << (present ? "the file" : "the backup") << " holds " << Describe(s) << "; expected "
            << Describe(oldState) << (present ? " or " + Describe(newState) : std::string());
        knownNew = bytes;
    };

    // A kill at every stop in turn, until a save runs to its end before its stop comes
    // (how many calls a save makes varies a little with the allocator's state).
    const SaveRun whole = RunSave(frame, path, {}, true);
    ASSERT_TRUE(whole.finished || !whole.traced);
    if (whole.traced) {
        check("after a whole save");
        ASSERT_GT(whole.stops, 10);
        for (int stop = 0; !HasFatalFailure(); ++stop) {
            ASSERT_LT(stop, 4 * whole.stops) << "the save never ends";
            restore();
            const SaveRun run = RunSave(frame, path, {.stop = stop}, true);
            if (run.finished) break;
            check("killed at system call stop " + std::to_string(stop) + " (a whole save makes " +
                  std::to_string(whole.stops) + ")");
        }
    } else {
        // No tracing here: kills spread over the time a whole save takes.
        restore();
        const SaveRun timed = RunSave(frame, path, {}, false);
        ASSERT_TRUE(timed.finished);
        check("after a whole save");
        constexpr int kPoints = 60;
        for (int i = 0; i <= kPoints && !HasFatalFailure(); ++i) {
            restore();
            const auto after = timed.took * i / kPoints;
            RunSave(frame, path, {.after = after}, false);
            check("killed after " + std::to_string(after.count()) + " us");
        }
    }
    ASSERT_FALSE(HasFatalFailure());
    restore();
    ASSERT_TRUE(SaveDocumentTo(frame, path)) << "the save works after all that";
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveCrash,
                         ::testing::Values(Case{"OwnFileFirstBackup", true, false, false},
                                           Case{"OwnFileOverOlderBackup", true, true, false},
                                           Case{"SaveAsOverAnotherFile", false, false, false},
                                           Case{"PlainSave", true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pontra
