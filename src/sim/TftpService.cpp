// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TftpService.h"

#include <algorithm>
#include <cctype>

#include "sim/Crc16.h"

namespace pontra::sim {

namespace {

enum Opcode : uint16_t { kRrq = 1, kWrq = 2, kData = 3, kAck = 4, kError = 5 };
enum ErrorCode : uint16_t { kErrUndefined = 0, kErrNotFound = 1, kErrDiskFull = 3, kErrIllegal = 4 };

constexpr size_t kBlockSize = 512;
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

// Sized once and filled: inserting the text behind the four-byte header made GCC 12 at
// -O3 report the copy as out of bounds (a false -Warray-bounds in the reallocation).
std::vector<uint8_t> ErrorPacket(uint16_t code, std::string_view text) {
    std::vector<uint8_t> p(4 + text.size() + 1, 0);
    const std::vector<uint8_t> header = Packet(kError, code);
    std::copy(header.begin(), header.end(), p.begin());
    std::copy(text.begin(), text.end(), p.begin() + 4);
    return p;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool SamePeer(const sockaddr_in& a, const sockaddr_in& b) {
    return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

}  // namespace

std::optional<TftpRequest> ParseTftpRequest(std::span<const uint8_t> p) {
    if (p.size() < 2) return std::nullopt;
    TftpRequest r;
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

void TftpService::Refuse(const sockaddr_in& to, uint16_t code, std::string_view text) {
    link_.SendFromServer(to, ErrorPacket(code, text));
    module_.Log("tftp refused: " + std::string(text));
}

void TftpService::OnRequest(std::span<const uint8_t> p, const sockaddr_in& from, uint64_t nowMs) {
    if (p.size() < 2 || p.size() > kTftpMaxPacket) return;  // nothing to answer
    const uint16_t opcode = Be16(p, 0);
    // Errors are never answered with errors; data and acknowledgements here are strays of
    // transfers that have ended (some clients acknowledge an error packet).
    if (opcode == kError || opcode == kData || opcode == kAck) return;
    const auto request = opcode == kRrq || opcode == kWrq ? ParseTftpRequest(p) : std::nullopt;
    if (!request) return Refuse(from, kErrIllegal, "Illegal TFTP operation");
    // A repeated request of a transfer that has not got any further: answer it again.
    auto same = std::find_if(transfers_.begin(), transfers_.end(), [&](const auto& t) {
        return !t->closed && !t->finished && SamePeer(t->peer, from);
    });
    if (same != transfers_.end()) {
        Transfer& t = **same;
        if (t.write == (opcode == kWrq) && t.block == (t.write ? 0u : 1u)) Send(t, t.last, nowMs, kRetransmitMs);
        return;
    }
    if (!EqualsNoCase(request->mode, "octet")) return Refuse(from, kErrUndefined, "Only octet mode is supported");
    if (request->file != kImageFileName) return Refuse(from, kErrNotFound, "File not found");
    if (!MakeRoom()) return Refuse(from, kErrUndefined, "Too many transfers");
    if (opcode == kWrq) StartWrite(from, request->tsize, nowMs);
    else StartRead(from, nowMs);
}

bool TftpService::MakeRoom() {
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

TftpService::Transfer* TftpService::NewTransfer(const sockaddr_in& peer, bool write) {
    const uint32_t id = nextId_++;
    if (!link_.OpenTransfer(id, peer)) {
        Refuse(peer, kErrUndefined, "Cannot open a transfer");
        return nullptr;
    }
    auto t = std::make_unique<Transfer>();
    t->id = id;
    t->peer = peer;
    t->write = write;
    transfers_.push_back(std::move(t));
    return transfers_.back().get();
}

TftpService::Transfer* TftpService::Find(uint32_t id) {
    for (auto& t : transfers_)
        if (t->id == id) return t.get();
    return nullptr;
}

std::vector<uint32_t> TftpService::OpenTransfers() const {
    std::vector<uint32_t> ids;
    for (const auto& t : transfers_)
        if (!t->closed) ids.push_back(t->id);
    return ids;
}

void TftpService::StartWrite(const sockaddr_in& peer, std::optional<uint32_t> tsize, uint64_t nowMs) {
    if (tsize && *tsize > module_.ProgramMemoryLimit())
        return Refuse(peer, kErrDiskFull, "Disk full or allocation exceeded");
    Transfer* t = NewTransfer(peer, true);
    if (!t) return;
    t->tsize = tsize;
    if (tsize && *tsize == 0) {
        // a write of nothing announced: the stored program is deleted
        t->deleteOnly = true;
        t->finished = true;
        Send(*t, Packet(kAck, 0), nowMs, kDallyMs);
        module_.DeleteProgram();
        return;
    }
    module_.Log("tftp write started");
    Send(*t, Packet(kAck, 0), nowMs, kRetransmitMs);
}

void TftpService::StartRead(const sockaddr_in& peer, uint64_t nowMs) {
    if (!module_.HasProgram()) return Refuse(peer, kErrNotFound, "File not found");
    Transfer* t = NewTransfer(peer, false);
    if (!t) return;
    t->data = module_.Program();
    t->block = 1;
    module_.Log("tftp read started");
    SendBlock(*t, nowMs);
}

void TftpService::Send(Transfer& t, std::vector<uint8_t> packet, uint64_t nowMs, uint64_t waitMs) {
    link_.SendOnTransfer(t.id, packet);
    t.last = std::move(packet);
    t.deadline = nowMs + waitMs;
}

void TftpService::Fail(Transfer& t, uint16_t code, std::string_view text) {
    link_.SendOnTransfer(t.id, ErrorPacket(code, text));
    t.closed = true;
    module_.Log("tftp transfer ended: " + std::string(text));
}

void TftpService::OnPacket(uint32_t id, std::span<const uint8_t> p, uint64_t nowMs) {
    Transfer* found = Find(id);
    if (!found || found->closed) return;
    Transfer& t = *found;
    if (p.size() < 4 || p.size() > kTftpMaxPacket) return;  // too short to carry a number, or not ours
    switch (Be16(p, 0)) {
        case kError:
            t.closed = true;
            module_.Log("tftp transfer aborted by the client");
            return;
        case kData:
            if (t.write) return OnData(t, Be16(p, 2), p.subspan(4), nowMs);
            break;
        case kAck:
            if (!t.write) return OnAck(t, Be16(p, 2), nowMs);
            break;
        default:
            break;
    }
    Fail(t, kErrIllegal, "Illegal TFTP operation");
}

void TftpService::OnData(Transfer& t, uint16_t block, std::span<const uint8_t> payload, uint64_t nowMs) {
    if (payload.size() > kBlockSize) return Fail(t, kErrIllegal, "Illegal TFTP operation");
    if (t.finished) {
        if (t.deleteOnly && block == 1 && payload.empty())
            Send(t, Packet(kAck, 1), nowMs, kDallyMs);  // an empty upload
        else if (!t.deleteOnly && block == static_cast<uint16_t>(t.block))
            Send(t, t.last, nowMs, kDallyMs);
        return;
    }
    if (block == static_cast<uint16_t>(t.block) && t.block != 0) {
        Send(t, t.last, nowMs, kRetransmitMs);  // repeated: acknowledged again, not stored twice
        return;
    }
    if (block != static_cast<uint16_t>(t.block + 1)) return;
    if (t.data.size() + payload.size() > module_.ProgramMemoryLimit())
        return Fail(t, kErrDiskFull, "Disk full or allocation exceeded");
    t.data.insert(t.data.end(), payload.begin(), payload.end());
    ++t.block;
    t.retries = 0;
    if (payload.size() < kBlockSize || (t.tsize && t.data.size() >= *t.tsize)) return FinishWrite(t, nowMs);
    Send(t, Packet(kAck, block), nowMs, kRetransmitMs);
}

// The last two bytes must be the CRC of the rest; a good image replaces the stored one.
void TftpService::FinishWrite(Transfer& t, uint64_t nowMs) {
    t.finished = true;
    const size_t n = t.data.size();
    const std::span<const uint8_t> body(t.data.data(), n >= 2 ? n - 2 : 0);
    if (n < 2 || Crc16Modbus(body) != (t.data[n - 2] | t.data[n - 1] << 8)) {
        Send(t, ErrorPacket(kErrUndefined, "CRC error"), nowMs, kDallyMs);
        module_.Log("tftp write refused: CRC error");
        return;
    }
    t.data.resize(n - 2);
    module_.StoreProgram(std::move(t.data), nowMs);
    t.data.clear();
    const auto block = static_cast<uint16_t>(t.block);
    Send(t, module_.Options().tftpError10 ? ErrorPacket(kErrAcknowledged, "Program stored") : Packet(kAck, block),
         nowMs, kDallyMs);
}

void TftpService::SendBlock(Transfer& t, uint64_t nowMs) {
    const size_t offset = (t.block - 1) * kBlockSize;
    const size_t chunk = std::min(kBlockSize, t.data.size() - std::min(offset, t.data.size()));
    std::vector<uint8_t> p = Packet(kData, static_cast<uint16_t>(t.block));
    p.insert(p.end(), t.data.begin() + static_cast<std::ptrdiff_t>(offset),
             t.data.begin() + static_cast<std::ptrdiff_t>(offset + chunk));
    Send(t, std::move(p), nowMs, kRetransmitMs);
}

void TftpService::OnAck(Transfer& t, uint16_t block, uint64_t nowMs) {
    if (block != static_cast<uint16_t>(t.block)) return;  // a late duplicate: the block in flight stands
    t.retries = 0;
    if (t.last.size() - 4 < kBlockSize) {  // that was the last block
        t.closed = true;
        module_.Log("tftp read finished");
        return;
    }
    ++t.block;
    SendBlock(t, nowMs);
}

uint64_t TftpService::OnTime(uint64_t nowMs) {
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
            Send(*t, t->last, nowMs, kRetransmitMs);
        }
        next = std::min(next, t->deadline);
    }
    std::erase_if(transfers_, [this](const auto& t) {
        if (t->closed) link_.CloseTransfer(t->id);
        return t->closed;
    });
    return next;
}

}  // namespace pontra::sim
