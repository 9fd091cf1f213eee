// SPDX-License-Identifier: GPL-3.0-or-later
// The online state of one main frame: the module's run state and status block, the
// online copy of its tag memory with the chunk and data-valid flags, the datagram
// channel, the register socket of the download and online commands, and the timers
// that drive it all on the model's thread:
//   timer 1  every 1000 ms while debugging: read the whole tag memory (PollTagMemory)
//   timer 2  every 500 ms while stopping: finish the stop once the channel's worker ended
//   timer 3  every 10000 ms while debugging: read the runtime status (ReadStatus)
// The commands that take a module online or send it a program (StartDebugging,
// DownloadProgram, DeleteModuleProgram, DownloadToAllModules) work on this state; views
// draw live values through ValueText.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "comm/Ports.h"
#include "comm/RegisterClient.h"
#include "comm/UdpChannel.h"

namespace pontra {

class CMainFrame;
class CTag;
class CUnit;

struct ModulePorts {
    uint16_t modbus = ModbusPort();
    uint16_t tftp = TftpPort();
    uint16_t udp = UdpPort();
};

enum OnlineTimer : int { kPollTimer = 1, kStopTimer = 2, kStatusTimer = 3 };

constexpr int kPollPeriodMs = 1000;
constexpr int kStopPeriodMs = 500;
constexpr int kStatusPeriodMs = 10000;
constexpr int kChunkSize = 1000; // bytes of one tag memory read
constexpr int kMaxTagMemoryRead = 10000;
constexpr int kChunkCount = kMaxTagMemoryRead / kChunkSize;

// Status block fields (little-endian, offsets into the reply data of a status read).
struct ModuleStatus {
    int runState = -1; // 0 program, 1 run, any other value unknown
    int taskTime = 0, headerError = 0, errorCode = 0, programCounter = 0, instruction = 0, rungField = 0,
        load = 0;
    uint32_t timeStamp = 0;
};
// Fields beyond a short block read as 0.
ModuleStatus ParseStatusBlock(const std::vector<uint8_t>& block);

class OnlineSession {
public:
    explicit OnlineSession(CMainFrame& frame);
    ~OnlineSession();
    OnlineSession(const OnlineSession&) = delete;
    OnlineSession& operator=(const OnlineSession&) = delete;

    // The module's ports (register protocol, TFTP, datagram channel). Not while online
    // (false then); a channel worker left from a failed start is ended.
    const ModulePorts& Ports() const { return ports_; }
    bool SetPorts(const ModulePorts& ports);

    CRegisterClient& Socket() { return *socket_; }
    CUdpChannel& Channel() { return *channel_; }

    // --- state ---------------------------------------------------------------------
    bool Debugging() const;
    bool Stopping() const { return stopping_; }
    bool AwaitingStart() const { return awaitingStart_; }
    bool DataValid() const { return dataValid_; }
    bool ChunkRead(int chunk) const { return chunk >= 0 && chunk < kChunkCount && chunks_[chunk]; }
    int RunState() const { return runState_; } // -1 unknown, 0 program, 1 run
    int TaskTime() const { return taskTime_; } // -1 unknown, else ms
    bool StatusValid() const { return statusValid_; }
    const std::vector<uint8_t>& StatusBlock() const { return statusBlock_; }
    ModuleStatus Status() const { return ParseStatusBlock(statusBlock_); }
    const std::vector<uint8_t>& TagMemory() const { return tagMemory_; }
    // How many reads of the whole tag memory and status replies have arrived so far;
    // front ends and tests wait on them.
    uint64_t CompleteReads() const { return completeReads_; }
    uint64_t StatusReplies() const { return statusReplies_; }
    // Downloads that went through; a front end that goes online after the download the
    // start offered watches it.
    uint64_t CompletedDownloads() const { return completedDownloads_; }
    void CountDownload() { ++completedDownloads_; }
    // When the last complete read of tag memory arrived; none before the first one of
    // this debug session.
    std::optional<std::chrono::steady_clock::time_point> LastCompleteReadTime() const { return lastCompleteReadTime_; }
    // " - OK", or with the task time and the processor load once the task time is known.
    std::string StatusText() const;

    // An online command is running and pumping the host; a second one is ignored.
    bool Busy() const { return busy_ > 0; }
    struct BusyScope {
        explicit BusyScope(OnlineSession& s) : session(s) { ++session.busy_; }
        ~BusyScope() { --session.busy_; }
        OnlineSession& session;
    };

    // --- live values ---------------------------------------------------------------
    // The instance base of the view that shows `unit` (null: the main program): 0 for
    // the main program while debugging, the selected instance's address for a function
    // block, -1 when none (no live values then).
    int InstanceBase(const CUnit* unit) const;
    void SetInstanceBase(const CUnit* unit, int base);
    // The elementary value of a tag at its address plus `instanceBase`, as a signed
    // decimal number; none when it cannot be shown (not debugging, data not valid,
    // base -1, not an elementary type, outside the copy).
    std::optional<int32_t> LiveValue(const CTag& tag, int instanceBase) const;
    // The live value through the tag's display style, or "..." when there is none; a
    // structured tag shows "{...}".
    std::string ValueText(const CTag& tag, int instanceBase) const;
    // The value column of the tag lists.
    std::string ValueColumnTitle() const { return Debugging() ? "Debug Value" : "Init Value"; }

    // --- monitor -------------------------------------------------------------------
    void OnTimer(int id);
    void PollTagMemory();
    // A read of the whole tag memory now, besides the poll's pace (the module answers a
    // read at any time): its number, for ReadComplete. A front end that shows one value
    // before and after a change need not wait for the next poll.
    uint64_t ReadTagMemoryNow();
    // True once the last chunk of read number `read`, or of a later read, has come in
    // (earlier chunks of it were sent and are answered before it).
    bool ReadComplete(uint64_t read) const { return lastCompleteRead_ >= read; }
    void ReadStatus();
    void SetProgramMode();
    void SetRunMode();
    // A write of `size` bytes of `value` (bit 255 or more), or a bit set or clear.
    // Function-block views pass their instance base in the address already.
    void WriteValue(int address, int size, int32_t value, int bit);
    void StopDebugging();

    // The channel's consumers.
    void OnReadAnswered(const UdpRequest& request);
    void OnReadFailed(const UdpRequest& request);
    void OnStatusAnswered(const UdpRequest& request);
    void OnStatusFailed(const UdpRequest& request);

    // The online start: the status request of its first half, and its last step.
    void PostStartStatusRequest();
    void EnterDebugMode(std::vector<uint8_t> initialTagMemory);
    void EndAwaitingStart() { awaitingStart_ = false; }

    // Called after each complete read of tag memory, each status reply or failure and
    // the end of a stop, for front ends that draw without the host's Repaint.
    std::function<void()> onRefresh;

    // How long a successful download waits for the module to restart its program.
    int restartWaitMs = 3000;

private:
    void Post(std::unique_ptr<UdpRequest> request);
    void SetMode(bool run);
    void Refresh();
    void FinishStop();
    int ReadSize() const;

    CMainFrame& frame_;
    ModulePorts ports_;
    std::unique_ptr<CRegisterClient> socket_;
    std::unique_ptr<CUdpChannel> channel_;
    int busy_ = 0;
    bool stopping_ = false;
    bool awaitingStart_ = false;
    bool dataValid_ = false;
    bool chunks_[kChunkCount] = {};
    int runState_ = -1;
    int taskTime_ = -1;
    bool statusValid_ = false;
    std::vector<uint8_t> statusBlock_;
    std::vector<uint8_t> tagMemory_;
    int mainBase_ = -1;
    uint64_t completeReads_ = 0;
    uint64_t statusReplies_ = 0;
    uint64_t completedDownloads_ = 0;
    uint64_t readsPosted_ = 0;
    uint64_t lastCompleteRead_ = 0;
    std::map<uint16_t, uint64_t> lastChunkReads_; // request identifier -> read number
    std::optional<std::chrono::steady_clock::time_point> lastCompleteReadTime_;
    std::map<std::string, int> functionBlockBases_;
};

} // namespace pontra
