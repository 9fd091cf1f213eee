// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/UdpChannel.h"

#include <sys/socket.h>

#include <algorithm>
#include <chrono>

#include "comm/DatagramSocket.h"

namespace pontra {

namespace {

constexpr size_t kReceiveBufferSize = 4096;

} // namespace

CUdpChannel::CUdpChannel(Host& host, uint16_t modulePort)
    : host_(host), modulePort_(modulePort), self_(std::make_shared<CUdpChannel*>(this)) {}

CUdpChannel::~CUdpChannel() {
    StopUdpChannel();
    Join();
    self_.reset();
}

UdpRequest* CUdpChannel::PostUdpRequest(std::unique_ptr<UdpRequest> request) {
    if (!request) return nullptr;
    if (!IsWorkerRunning() || run_->stop) {
        // A worker still winding down ends within one loop; the new one takes over.
        Join();
        run_ = std::make_unique<Run>();
        run_->thread = std::thread([this, run = run_.get()] { WorkerMain(*run); });
    }
    UdpRequest* posted = request.get();
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
        sendQueue_.push_back(posted);
    }
    wake_.notify_all();
    return posted;
}

void CUdpChannel::StopUdpChannel() {
    if (!run_) return;
    {
        std::lock_guard lock(mutex_);
        run_->stop = true;
    }
    wake_.notify_all();
}

bool CUdpChannel::IsWorkerRunning() const {
    return run_ && run_->running;
}

void CUdpChannel::Join() {
    if (run_ && run_->thread.joinable()) run_->thread.join();
    run_.reset();
}

void CUdpChannel::VisitRequests(
    const std::function<void(const std::vector<std::unique_ptr<UdpRequest>>&)>& visit) const {
    std::lock_guard lock(mutex_);
    visit(requests_);
}

void CUdpChannel::Raise(Event event) {
    std::weak_ptr<CUdpChannel*> weak = self_;
    host_.Post([weak, event] {
        auto self = weak.lock();
        if (!self) return;
        CUdpChannel& channel = **self;
        switch (event) {
        case Event::Answered: channel.OnUdpAnswered(); break;
        case Event::Failed: channel.OnUdpFailed(); break;
        case Event::Sent: channel.OnUdpSent(); break;
        }
    });
}

void CUdpChannel::WorkerMain(Run& run) {
    CDatagramSocket socket;
    const bool haveSocket = SocketStartup() && socket.Create(SOCK_DGRAM) == kDgramOk;
    if (haveSocket && socket.Bind({0, 0}) != kDgramOk) socket.Bind({0, kFallbackLocalPort});
    UdpReplyFilter filter(modulePort_);
    uint32_t lastSend = TickCount() - kSendSpacingMs;

    while (!run.stop) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(kPollMs), [&] {
                return run.stop || (!sendQueue_.empty() && TickCount() - lastSend >= kSendSpacingMs);
            });
            if (run.stop) break;
        }
        if (SendNext(socket, lastSend)) continue;
        if (haveSocket) ReceivePass(run, socket, filter);
    }

    {
        // What was never sent goes with this worker.
        std::lock_guard lock(mutex_);
        std::erase_if(requests_, [&](const std::unique_ptr<UdpRequest>& r) {
            return std::find(sendQueue_.begin(), sendQueue_.end(), r.get()) != sendQueue_.end();
        });
        sendQueue_.clear();
    }
    if (haveSocket) socket.Close();
    SocketCleanup();
    run.running = false;
}

bool CUdpChannel::SendNext(CDatagramSocket& socket, uint32_t& lastSend) {
    Event event;
    {
        std::lock_guard lock(mutex_);
        if (sendQueue_.empty() || TickCount() - lastSend < kSendSpacingMs) return false;
        UdpRequest& r = *sendQueue_.front();
        sendQueue_.pop_front();
        if (r.state != kUdpQueued) return true;
        const DatagramAddress destination{UdpDestinationAddress(r.destination), modulePort_};
        uint32_t status = kDgramOk;
        const int sent = socket.SendTo(r.request.data(), r.requestLength, destination, 0, status);
        lastSend = TickCount();
        if (sent > 0 && status == kDgramOk) {
            r.state = kUdpSent;
            r.timeSent = lastSend;
            if (r.command != kUdpWriteMemory) return true;
            event = Event::Sent;
        } else {
            r.state = kUdpSendFailed;
            event = Event::Failed;
        }
    }
    Raise(event);
    return true;
}

void CUdpChannel::ReceivePass(Run& run, CDatagramSocket& socket, UdpReplyFilter& filter) {
    std::vector<UdpDatagram> pass;
    std::vector<uint8_t> buffer(kReceiveBufferSize);
    for (int i = 0; i < kDatagramsPerPass; ++i) {
        DatagramAddress from;
        uint32_t status = kDgramOk;
        size_t full = 0;
        const int n = socket.ReceiveFrom(buffer.data(), buffer.size(), from, 0, status, &full);
        if (status != kDgramOk) break;
        if (run.stop) return;
        const std::span<const uint8_t> bytes(buffer.data(), static_cast<size_t>(n));
        if (auto datagram = filter.Accept(from.address, from.port, bytes, full)) pass.push_back(std::move(*datagram));
    }

    UdpMatchOutcome outcome;
    {
        std::lock_guard lock(mutex_);
        outcome = MatchUdpReplies(requests_, pass, TickCount(), kTimeoutMs);
    }
    if (outcome.answered) Raise(Event::Answered);
    if (outcome.failed) Raise(Event::Failed);
}

std::vector<std::unique_ptr<UdpRequest>>
CUdpChannel::Take(const std::function<bool(const UdpRequest&)>& finished) {
    std::vector<std::unique_ptr<UdpRequest>> taken;
    std::lock_guard lock(mutex_);
    for (auto& r : requests_)
        if (finished(*r)) taken.push_back(std::move(r));
    std::erase(requests_, nullptr);
    return taken;
}

namespace {

bool HasConsumer(const UdpRequest& r) {
    return r.command == kUdpReadMemory || r.command == kUdpReadStatus;
}

} // namespace

void CUdpChannel::OnUdpAnswered() {
    // Consumers run outside the lock, so that they may post the next request.
    for (const auto& r : Take([](const UdpRequest& r) { return r.state == kUdpAnswered; }))
        if (HasConsumer(*r) && onAnswered) onAnswered(*r);
}

void CUdpChannel::OnUdpFailed() {
    for (const auto& r : Take([](const UdpRequest& r) {
             return r.state == kUdpTimedOut || r.state == kUdpSendFailed || r.state == kUdpErrorReply;
         }))
        if (HasConsumer(*r) && onFailed) onFailed(*r);
}

void CUdpChannel::OnUdpSent() {
    Take([](const UdpRequest& r) { return r.state == kUdpSent && (r.command & 2); });
}

} // namespace pontra
