// SPDX-License-Identifier: GPL-3.0-or-later
// Download transfer: CTftpClient uploading a program image to a soft module, against the
// tftp-hpa client uploading the same bytes to the same module in the same run; and the
// whole "Download Program" command, whose specified pauses dominate.
//
// Same bytes on the wire: the module takes "PlcData_.bin" followed by its CRC-16. Pontra's
// client appends the CRC itself; tftp-hpa is given the image with the CRC already
// appended (written here), so both send the same data blocks. tftp-hpa knows no tsize
// option, so when the data is a whole number of blocks it ends with the empty block that
// RFC 1350 requires, one small round trip more than Pontra's client, which the module
// lets end on the announced size. The 40,957-byte row has no such block: there both
// clients send exactly the same packets.
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <poll.h>

#include "OnlineRig.h"
#include "comm/Crc16.h"
#include "comm/TftpClient.h"
#include "online/DownloadProgram.h"
#include "online/OnlineSession.h"
#include "support/Process.h"

namespace pontra::bench {
namespace {

constexpr const char* kRemoteName = "PlcData_.bin";
constexpr const char* kTftpHpa = "/usr/bin/tftp";

// One tftp-hpa process on a pseudo-terminal (it prompts only to a terminal); each "put"
// is timed from the command to the next prompt, so its start-up is not counted.
class TftpHpaSession {
public:
    TftpHpaSession(const std::string& address, uint16_t port) {
        pid_ = forkpty(&fd_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            const std::string portText = std::to_string(port);
            execl(kTftpHpa, kTftpHpa, "-4", "-m", "binary", address.c_str(), portText.c_str(), nullptr);
            _exit(127);
        }
        ok_ = pid_ > 0 && Until("tftp> ").has_value();
    }
    ~TftpHpaSession() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) close(fd_);
    }
    bool Ok() const { return ok_; }

    // Uploads `path`; false with tftp-hpa's words in `error` when it reports a failure.
    bool Put(const std::string& path, std::string& error) {
        const std::string command = "put " + path + " " + kRemoteName + "\n";
        if (write(fd_, command.data(), command.size()) != static_cast<ssize_t>(command.size())) return false;
        const auto said = Until("tftp> ");
        if (!said) {
            error = "no prompt after put";
            return false;
        }
        // the terminal echoes the command; anything after its line is a complaint
        const size_t end = said->find('\n');
        const std::string rest = end == std::string::npos ? "" : said->substr(end + 1);
        if (rest != "tftp> ") error = rest;
        return rest == "tftp> ";
    }

private:
    std::optional<std::string> Until(const std::string& prompt) {
        std::string text;
        while (text.size() < prompt.size() || text.compare(text.size() - prompt.size(), prompt.size(), prompt) != 0) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0) return std::nullopt;
            char buffer[512];
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) return std::nullopt;
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    bool ok_ = false;
};

// A whole tftp-hpa command, start-up and exit included.
bool TftpHpaCommand(const sim::test::SimProcess& sim, const std::string& path) {
    const auto r = RunProcess(kTftpHpa, {"-4", "-m", "binary", sim.address, std::to_string(sim.tftpPort), "-c", "put",
                                         path, kRemoteName},
                              "", 30);
    return r.status == 0 && r.out.empty() && r.err.empty();
}

bool PontraUpload(const sim::test::SimProcess& sim, const std::string& path, std::string& error) {
    CTftpClient client;
    int result = client.StartSend(path, kRemoteName, sim.address, sim.tftpPort, false);
    while (result == kTftpInProgress) result = client.Step();
    if (result != kTftpFinished) error = client.GetErrorText();
    return result == kTftpFinished;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// The image of a 2,000-rung line program, padded with zero bytes after its last record to
// `size` bytes (the module stores and runs it as it is), and the same with its CRC.
bool MakeUploadFiles(OnlineRig& rig, size_t size, std::string& image, std::string& withCrc, std::string& error) {
    if (!rig.MakeProject({2000, 0}, error)) return false;
    std::vector<uint8_t> bytes = ReadBytes(rig.ImagePath());
    if (bytes.size() > size) {
        error = "the built image has " + std::to_string(bytes.size()) + " bytes";
        return false;
    }
    bytes.resize(size, 0);
    image = rig.dir.File("upload.bin");
    WriteFile(image, bytes);
    const uint16_t crc = Crc16Modbus(bytes.data(), bytes.size());
    bytes.push_back(static_cast<uint8_t>(crc));
    bytes.push_back(static_cast<uint8_t>(crc >> 8));
    withCrc = rig.dir.File("upload-crc.bin");
    WriteFile(withCrc, bytes);
    return true;
}

// Per iteration: one upload by each client, in alternating order, and one whole tftp-hpa
// command. Time = Pontra's.
void BM_TftpUpload(benchmark::State& state) {
    OnlineRig rig;
    std::string image, withCrc, error;
    if (!MakeUploadFiles(rig, static_cast<size_t>(state.range(0)), image, withCrc, error) || !rig.StartModules(1))
        return state.SkipWithError(("set-up failed: " + error).c_str());
    TftpHpaSession peer(rig.sim.address, rig.sim.tftpPort);
    if (!peer.Ok()) return state.SkipWithError("tftp-hpa did not start");

    std::vector<double> pontra, hpa, hpaCommand;
    bool pontraFirst = true;
    for (auto _ : state) {
        double ours = 0, theirs = 0;
        for (int turn = 0; turn < 2; ++turn) {
            const auto start = Clock::now();
            const bool mine = (turn == 0) == pontraFirst;
            const bool ok = mine ? PontraUpload(rig.sim, image, error) : peer.Put(withCrc, error);
            (mine ? ours : theirs) = Milliseconds(Clock::now() - start);
            if (!ok) return state.SkipWithError(((mine ? "Pontra: " : "tftp-hpa: ") + error).c_str());
        }
        pontraFirst = !pontraFirst;
        const auto start = Clock::now();
        if (!TftpHpaCommand(rig.sim, withCrc)) return state.SkipWithError("tftp-hpa command failed");
        hpaCommand.push_back(Milliseconds(Clock::now() - start));
        state.SetIterationTime(ours / 1000);
        pontra.push_back(ours);
        hpa.push_back(theirs);
    }
    // medians of the iterations: one upload in twenty may wait for the processor
    state.counters["pontra_ms"] = benchmark::Counter(Median(pontra));
    state.counters["tftp_hpa_ms"] = benchmark::Counter(Median(hpa));
    state.counters["ratio"] = benchmark::Counter(Median(hpa) > 0 ? Median(pontra) / Median(hpa) : 0);
    state.counters["hpa_command_ms"] = benchmark::Counter(Median(hpaCommand));
    state.counters["bytes_on_wire"] = benchmark::Counter(static_cast<double>(state.range(0) + 2));
}
BENCHMARK(BM_TftpUpload)->Arg(40958)->Arg(40957)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

// The whole command on the same image size: checks, transfer with its 2 ms pumping pause
// after every block, and the 3,000 ms the module is given to restart its program.
void BM_DownloadProgram(benchmark::State& state) {
    OnlineRig rig;
    std::string error;
    if (!rig.MakeProject({2000, 0}, error) || !rig.StartModules(1))
        return state.SkipWithError(("set-up failed: " + error).c_str());
    rig.host.defaultAnswer = true;
    const double restart = rig.frame.online().restartWaitMs;
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!DownloadProgram(rig.frame)) return state.SkipWithError("Download Program failed");
        total += Milliseconds(Clock::now() - start);
    }
    state.counters["restart_wait_ms"] = benchmark::Counter(restart);
    state.counters["besides_wait_ms"] = Figure(total - restart * static_cast<double>(state.iterations()));
    state.counters["image_bytes"] = benchmark::Counter(static_cast<double>(ReadBytes(rig.ImagePath()).size()));
}
BENCHMARK(BM_DownloadProgram)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra::bench
