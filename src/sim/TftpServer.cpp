#include "sim/TftpServer.h"

#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "sim/Crc16.h"

namespace pontra::sim {

namespace {

enum Opcode : uint16_t { kRrq = 1, kWrq = 2, kData = 3, kAck = 4, kError = 5 };
enum ErrorCode : uint16_t { kErrUndefined = 0, kErrNotFound = 1, kErrDiskFull = 3, kErrIllegal = 4 };

constexpr size_t kBlockSize = 512;
constexpr size_t kMaxPacket = 1024;        // longer datagrams are not ours
constexpr uint64_t kRetransmitMs = 1000;   // silence before the last packet is sent again
constexpr int kMaxRetries = 5;             // then the transfer is abandoned
constexpr uint64_t kDallyMs = 3000;        // a finished write answers a repeated last block this long
constexpr size_t kMaxTransfers = 8;
// The IDE counts an error packet with this code as the acknowledgement of the last block.
constexpr uint16_t kErrAcknowledged = 10;

uint16_t Be16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }

std::vector<uint8_t> Packet(uint16_t opcode, uint16_t number) {
    return {static_cast<uint8_t>(opcode >> 8), static_cast<uint8_t>(opcode), static_cast<uint8_t>(number >> 8),
            static_cast<uint8_t>(number)};
}

std::vector<uint8_t> ErrorPacket(uint16_t code, std::string_view text) {
    std::vector<uint8_t> p = Packet(kError, code);
    p.insert(p.end(), text.begin(), text.end());
    p.push_back(0);
    return p;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

struct Request {
    uint16_t opcode = 0;
    std::string file, mode;
    std::optional<uint32_t> tsize;
};

// opcode, then NUL-terminated file name, mode and option name/value pairs.
std::optional<Request> ParseRequest(std::span<const uint8_t> p) {
    Request r;
    r.opcode = Be16(p, 0);
    std::vector<std::string> fields;
    size_t i = 2;
    while (i < p.size()) {
        const auto end = std::find(p.begin() + static_cast<std::ptrdiff_t>(i), p.end(), uint8_t{0});
        if (end == p.end()) return std::nullopt;  // unterminated field
        fields.emplace_back(p.begin() + static_cast<std::ptrdiff_t>(i), end);
        i = static_cast<size_t>(end - p.begin()) + 1;
    }
    if (fields.size() < 2) return std::nullopt;
    r.file = fields[0];
    r.mode = fields[1];
    // Options are read but never acknowledged; only tsize means something here.
    for (size_t k = 2; k + 1 < fields.size(); k += 2) {
        if (!EqualsNoCase(fields[k], "tsize")) continue;
        const std::string& v = fields[k + 1];
        const bool digits = std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (v.empty() || v.size() > 10 || !digits) continue;
        const uint64_t n = std::stoull(v);
        if (n <= UINT32_MAX) r.tsize = static_cast<uint32_t>(n);
    }
    return r;
}

bool SamePeer(const sockaddr_in& a, const sockaddr_in& b) {
    return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

}  // namespace

bool TftpServer::Open(uint32_t address, uint16_t port, std::string& error) {
    address_ = address;
    server_ = BindUdp(address, port, error);
    return server_.Valid();
}

void TftpServer::Attach(EventLoop& loop) {
    loop_ = &loop;
    loop.Watch(server_.Get(), false, [this](short) { OnRequest(); });
}

void TftpServer::Refuse(const sockaddr_in& to, uint16_t code, std::string_view text) {
    const std::vector<uint8_t> p = ErrorPacket(code, text);
    ::sendto(server_.Get(), p.data(), p.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    module_.Log("tftp refused: " + std::string(text));
}

void TftpServer::OnRequest() {
    for (int k = 0; k < 16; ++k) {
        uint8_t buffer[kMaxPacket + 1];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(server_.Get(), buffer, sizeof buffer, MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) return;
        if (n < 2 || static_cast<size_t>(n) > kMaxPacket) continue;  // nothing to answer
        const std::span<const uint8_t> p(buffer, static_cast<size_t>(n));
        const uint16_t opcode = Be16(p, 0);
        // Errors are never answered with errors; data and acknowledgements here are strays of
        // transfers that have ended (some clients acknowledge an error packet).
        if (opcode == kError || opcode == kData || opcode == kAck) continue;
        const auto request = opcode == kRrq || opcode == kWrq ? ParseRequest(p) : std::nullopt;
        if (!request) {
            Refuse(from, kErrIllegal, "Illegal TFTP operation");
            continue;
        }
        // A repeated request of a transfer that has not got any further: answer it again.
        auto same = std::find_if(transfers_.begin(), transfers_.end(), [&](const auto& t) {
            return !t->closed && !t->finished && SamePeer(t->peer, from);
        });
        if (same != transfers_.end()) {
            Transfer& t = **same;
            if (t.write == (opcode == kWrq) && t.block == (t.write ? 0u : 1u)) Send(t, t.last, kRetransmitMs);
            continue;
        }
        if (!EqualsNoCase(request->mode, "octet")) {
            Refuse(from, kErrUndefined, "Only octet mode is supported");
            continue;
        }
        if (request->file != kImageFileName) {
            Refuse(from, kErrNotFound, "File not found");
            continue;
        }
        if (!MakeRoom()) {
            Refuse(from, kErrUndefined, "Too many transfers");
            continue;
        }
        if (opcode == kWrq) StartWrite(from, request->tsize);
        else StartRead(from);
    }
}

bool TftpServer::MakeRoom() {
    const auto open = [this] {
        return std::count_if(transfers_.begin(), transfers_.end(), [](const auto& t) { return !t->closed; });
    };
    // A finished transfer lingers only to answer a repeated last block; a new transfer
    // takes the place of the oldest such one, so that downloads in quick succession
    // are not refused.
    for (auto& t : transfers_) {
        if (open() < static_cast<std::ptrdiff_t>(kMaxTransfers)) break;
        if (!t->closed && t->finished) t->closed = true;
    }
    return open() < static_cast<std::ptrdiff_t>(kMaxTransfers);
}

TftpServer::Transfer* TftpServer::NewTransfer(const sockaddr_in& peer, bool write) {
    std::string error;
    Fd fd = BindUdp(address_, 0, error);
    if (!fd.Valid() || ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        Refuse(peer, kErrUndefined, "Cannot open a transfer");
        return nullptr;
    }
    auto t = std::make_unique<Transfer>();
    Transfer* p = t.get();
    if (!loop_->Watch(fd.Get(), false, [this, p](short) { OnPacket(*p); })) {
        Refuse(peer, kErrUndefined, "Cannot open a transfer");
        return nullptr;
    }
    t->fd = std::move(fd);
    t->peer = peer;
    t->write = write;
    transfers_.push_back(std::move(t));
    return transfers_.back().get();
}

void TftpServer::StartWrite(const sockaddr_in& peer, std::optional<uint32_t> tsize) {
    if (tsize && *tsize > module_.ProgramMemoryLimit()) {
        Refuse(peer, kErrDiskFull, "Disk full or allocation exceeded");
        return;
    }
    Transfer* t = NewTransfer(peer, true);
    if (!t) return;
    t->tsize = tsize;
    if (tsize && *tsize == 0) {
        // a write of nothing announced: the stored program is deleted
        t->deleteOnly = true;
        t->finished = true;
        Send(*t, Packet(kAck, 0), kDallyMs);
        module_.DeleteProgram();
        return;
    }
    module_.Log("tftp write started");
    Send(*t, Packet(kAck, 0), kRetransmitMs);
}

void TftpServer::StartRead(const sockaddr_in& peer) {
    if (!module_.HasProgram()) {
        Refuse(peer, kErrNotFound, "File not found");
        return;
    }
    Transfer* t = NewTransfer(peer, false);
    if (!t) return;
    t->data = module_.Program();
    t->block = 1;
    module_.Log("tftp read started");
    SendBlock(*t);
}

void TftpServer::Send(Transfer& t, std::vector<uint8_t> packet, uint64_t waitMs) {
    ::send(t.fd.Get(), packet.data(), packet.size(), MSG_NOSIGNAL);
    t.last = std::move(packet);
    t.deadline = NowMs() + waitMs;
}

void TftpServer::Fail(Transfer& t, uint16_t code, std::string_view text) {
    const std::vector<uint8_t> p = ErrorPacket(code, text);
    ::send(t.fd.Get(), p.data(), p.size(), MSG_NOSIGNAL);
    t.closed = true;
    module_.Log("tftp transfer ended: " + std::string(text));
}

void TftpServer::OnPacket(Transfer& t) {
    if (t.closed) return;
    uint8_t buffer[kMaxPacket + 1];
    const ssize_t n = ::recv(t.fd.Get(), buffer, sizeof buffer, MSG_TRUNC);
    if (n < 4 || static_cast<size_t>(n) > kMaxPacket) return;  // too short to carry a number, or not ours
    const std::span<const uint8_t> p(buffer, static_cast<size_t>(n));
    switch (Be16(p, 0)) {
        case kError:
            t.closed = true;
            module_.Log("tftp transfer aborted by the client");
            return;
        case kData:
            if (t.write) return OnData(t, Be16(p, 2), p.subspan(4));
            break;
        case kAck:
            if (!t.write) return OnAck(t, Be16(p, 2));
            break;
        default:
            break;
    }
    Fail(t, kErrIllegal, "Illegal TFTP operation");
}

void TftpServer::OnData(Transfer& t, uint16_t block, std::span<const uint8_t> payload) {
    if (payload.size() > kBlockSize) return Fail(t, kErrIllegal, "Illegal TFTP operation");
    if (t.finished) {
        if (t.deleteOnly && block == 1 && payload.empty()) Send(t, Packet(kAck, 1), kDallyMs);  // an empty upload
        else if (!t.deleteOnly && block == static_cast<uint16_t>(t.block)) Send(t, t.last, kDallyMs);
        return;
    }
    if (block == static_cast<uint16_t>(t.block) && t.block != 0) {
        Send(t, t.last, kRetransmitMs);  // repeated: acknowledged again, not stored twice
        return;
    }
    if (block != static_cast<uint16_t>(t.block + 1)) return;
    if (t.data.size() + payload.size() > module_.ProgramMemoryLimit())
        return Fail(t, kErrDiskFull, "Disk full or allocation exceeded");
    t.data.insert(t.data.end(), payload.begin(), payload.end());
    ++t.block;
    t.retries = 0;
    if (payload.size() < kBlockSize || (t.tsize && t.data.size() >= *t.tsize)) return FinishWrite(t);
    Send(t, Packet(kAck, block), kRetransmitMs);
}

// The last two bytes must be the CRC of the rest; a good image replaces the stored one.
void TftpServer::FinishWrite(Transfer& t) {
    t.finished = true;
    const size_t n = t.data.size();
    const std::span<const uint8_t> body(t.data.data(), n >= 2 ? n - 2 : 0);
    if (n < 2 || Crc16Modbus(body) != (t.data[n - 2] | t.data[n - 1] << 8)) {
        Send(t, ErrorPacket(kErrUndefined, "CRC error"), kDallyMs);
        module_.Log("tftp write refused: CRC error");
        return;
    }
    t.data.resize(n - 2);
    module_.StoreProgram(std::move(t.data), NowMs());
    t.data.clear();
    const auto block = static_cast<uint16_t>(t.block);
    Send(t, module_.Options().tftpError10 ? ErrorPacket(kErrAcknowledged, "Program stored") : Packet(kAck, block),
         kDallyMs);
}

void TftpServer::SendBlock(Transfer& t) {
    const size_t offset = (t.block - 1) * kBlockSize;
    const size_t chunk = std::min(kBlockSize, t.data.size() - std::min(offset, t.data.size()));
    std::vector<uint8_t> p = Packet(kData, static_cast<uint16_t>(t.block));
    p.insert(p.end(), t.data.begin() + static_cast<std::ptrdiff_t>(offset),
             t.data.begin() + static_cast<std::ptrdiff_t>(offset + chunk));
    Send(t, std::move(p), kRetransmitMs);
}

void TftpServer::OnAck(Transfer& t, uint16_t block) {
    if (block != static_cast<uint16_t>(t.block)) return;  // a late duplicate: the block in flight stands
    t.retries = 0;
    if (t.last.size() - 4 < kBlockSize) {  // that was the last block
        t.closed = true;
        module_.Log("tftp read finished");
        return;
    }
    ++t.block;
    SendBlock(t);
}

uint64_t TftpServer::OnTime(uint64_t nowMs) {
    uint64_t next = UINT64_MAX;
    for (auto& t : transfers_) {
        if (t->closed) continue;
        if (nowMs >= t->deadline) {
            if (t->finished) {
                t->closed = true;
                continue;
            }
            if (t->retries >= kMaxRetries) {
                t->closed = true;
                module_.Log("tftp transfer abandoned: no answer");
                continue;
            }
            ++t->retries;
            Send(*t, t->last, kRetransmitMs);
        }
        next = std::min(next, t->deadline);
    }
    std::erase_if(transfers_, [this](const auto& t) {
        if (t->closed) loop_->Unwatch(t->fd.Get());
        return t->closed;
    });
    return next;
}

}  // namespace pontra::sim
