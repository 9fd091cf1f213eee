// SPDX-License-Identifier: GPL-3.0-or-later
// The datagram request channel: while a project is online, every exchange with the
// module (reading tag memory, writes, bit set and clear, mode changes, runtime status)
// is a small request datagram to the module's datagram port and its reply.
//
// The model's thread builds requests (UdpRequest.h) and hands them to PostUdpRequest,
// which returns at once. One worker thread, started by the first request after a stop,
// sends them in order (at most one every 10 ms), matches replies by identifier and
// source, times requests out 400 ms after their real send, and reports through the
// host's event queue. On the model's thread the channel then hands finished read-memory
// and status requests to the consumers and deletes every finished request:
//   answered  every answered request; read/status ones go to onAnswered first
//   failed    every error reply, time-out and failed send; read/status ones to onFailed
//   sent      every sent write, set-bit and mode request, deleted unconfirmed
// Events keep the order in which the worker raised them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "comm/Ports.h"
#include "comm/UdpReplies.h"
#include "comm/UdpRequest.h"
#include "host/Host.h"

namespace pontra {

class CDatagramSocket;

class CUdpChannel {
public:
    static constexpr uint32_t kTimeoutMs = 400;    // from the real send
    static constexpr uint32_t kSendSpacingMs = 10; // between two sends
    static constexpr int kPollMs = 2;              // the worker's idle wait between receive passes
    static constexpr int kDatagramsPerPass = 10;   // so that sending stays prompt while replies arrive
    static constexpr uint16_t kFallbackLocalPort = 54559;

    // `modulePort` is the module's datagram port: requests go there and only datagrams
    // from it are replies.
    explicit CUdpChannel(Host& host, uint16_t modulePort = UdpPort());
    // Stops the worker and waits for it (a few milliseconds).
    ~CUdpChannel();
    CUdpChannel(const CUdpChannel&) = delete;
    CUdpChannel& operator=(const CUdpChannel&) = delete;

    // Called on the model's thread with finished read-memory (command 1) and status
    // (command 5) requests, before they are deleted.
    std::function<void(const UdpRequest&)> onAnswered;
    std::function<void(const UdpRequest&)> onFailed;

    // Appends the request to the list and queues it for the worker, starting the worker
    // when none runs. Returns the request, which the list owns (null for a null request).
    UdpRequest* PostUdpRequest(std::unique_ptr<UdpRequest> request);
    // Asks the worker to end; it ends by itself within a few milliseconds. Requests it
    // has not sent yet are dropped; later requests start a new worker.
    void StopUdpChannel();
    bool IsWorkerRunning() const;

    // Runs `visit` over the request list under its lock (do not post from inside).
    void
    VisitRequests(const std::function<void(const std::vector<std::unique_ptr<UdpRequest>>&)>& visit) const;

    // The worker's events, delivered on the model's thread through the host.
    void OnUdpAnswered();
    void OnUdpFailed();
    void OnUdpSent();

private:
    struct Run {
        std::thread thread;
        std::atomic<bool> stop{false};
        std::atomic<bool> running{true};
    };
    enum class Event { Answered, Failed, Sent };

    void WorkerMain(Run& run);
    // Sends the next queued request when one is due; false when none was.
    bool SendNext(CDatagramSocket& socket, uint32_t& lastSend);
    void ReceivePass(Run& run, CDatagramSocket& socket, UdpReplyFilter& filter);
    void Raise(Event event);
    std::vector<std::unique_ptr<UdpRequest>> Take(const std::function<bool(const UdpRequest&)>& finished);
    void Join();

    Host& host_;
    const uint16_t modulePort_;
    // Guards the request list and the send queue.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::unique_ptr<UdpRequest>> requests_;
    std::deque<UdpRequest*> sendQueue_; // requests of the list not sent yet, in order
    std::unique_ptr<Run> run_;          // touched on the model's thread only
    // Lets events posted by the worker find out on the model's thread whether the
    // channel still exists.
    std::shared_ptr<CUdpChannel*> self_;
};

} // namespace pontra
