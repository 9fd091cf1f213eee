// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the fuzz targets: a quiet host, text split into model lines, a check that
// stops the fuzzer with a message when a property every input must keep fails, and a
// heap budget per input.
#pragma once

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/ScriptedHost.h"
#include "model/Unit.h"

namespace pontra::fuzz {

// Not assert(): the release build keeps it.
#define FUZZ_CHECK(condition, message)                                                          \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "fuzz check failed: %s: %s\n", #condition, std::string(message).c_str()); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

// The heap one input may take: `perByte` bytes for each byte of the input and `fixed`
// bytes besides (what the target's own fixtures and a whole build need). Live bytes are
// counted through the sanitizer's allocation hooks; the highest count while the budget
// is in scope (declare it first) must stay within it, so an input that makes the code
// allocate out of proportion to its size is a finding, not just one that hits the
// fuzzer's RSS limit.
class HeapBudget {
public:
    HeapBudget(size_t inputSize, size_t perByte, size_t fixed) : limit_(inputSize * perByte + fixed) {
        static const bool installed = [] {
            __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
            return true;
        }();
        (void)installed;
        start_ = live_.load(std::memory_order_relaxed);
        peak_.store(start_, std::memory_order_relaxed);
    }
    ~HeapBudget() {
        const long long used = peak_.load(std::memory_order_relaxed) - start_;
        FUZZ_CHECK(used <= static_cast<long long>(limit_),
                   "the input took " + std::to_string(used) + " bytes of heap, more than its budget of " +
                       std::to_string(limit_));
    }
    HeapBudget(const HeapBudget&) = delete;
    HeapBudget& operator=(const HeapBudget&) = delete;

private:
    static void OnMalloc(const volatile void*, size_t size) {
        const long long now = live_.fetch_add(static_cast<long long>(size), std::memory_order_relaxed) +
                              static_cast<long long>(size);
        long long peak = peak_.load(std::memory_order_relaxed);
        while (now > peak && !peak_.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {}
    }
    static void OnFree(const volatile void* pointer) {
        if (!pointer) return;
        const size_t size = __sanitizer_get_allocated_size(const_cast<const void*>(pointer));
        live_.fetch_sub(static_cast<long long>(size), std::memory_order_relaxed);
    }

    static inline std::atomic<long long> live_{0};
    static inline std::atomic<long long> peak_{0};
    size_t limit_;
    long long start_ = 0;
};

// One host for the whole run (its temporary folder is made once), every question
// answered Yes. A scope per input: what the host recorded is dropped, memory and all,
// when the input ends, so that each input frees what it allocated and the fuzzer's
// leak check stays quiet.
class QuietHost {
public:
    QuietHost() { Drop(); }
    ~QuietHost() { Drop(); }
    QuietHost(const QuietHost&) = delete;
    QuietHost& operator=(const QuietHost&) = delete;
    ScriptedHost& operator*() { return Shared(); }
    operator ScriptedHost&() { return Shared(); }

private:
    static ScriptedHost& Shared() {
        static ScriptedHost* host = [] {
            auto* h = new ScriptedHost;
            h->defaultAnswer = true;
            return h;
        }();
        return *host;
    }
    template <class T>
    static void Free(T& value) {
        T().swap(value);
    }
    static void Drop() {
        ScriptedHost& h = Shared();
        Free(h.log), Free(h.answers), Free(h.threeWayAnswers), Free(h.files), Free(h.controllerProperties);
        Free(h.clipboard), Free(h.titles), Free(h.settings), Free(h.outputLines), Free(h.windows), Free(h.timers);
    }
};

// Reads a fuzz input front to back: small numbers, then length-prefixed chunks or the
// rest. Past the end every read gives zero or nothing, so any bytes are a valid script,
// and seeds are plain concatenations (see fuzz/seeds).
class Script {
public:
    Script(const uint8_t* data, size_t size) : bytes_(data, size) {}

    bool Done() const { return bytes_.empty(); }
    uint8_t Byte() {
        if (bytes_.empty()) return 0;
        const uint8_t b = bytes_[0];
        bytes_ = bytes_.subspan(1);
        return b;
    }
    uint16_t Word() {  // low byte first
        const uint8_t low = Byte();
        return static_cast<uint16_t>(low | Byte() << 8);
    }
    bool Flag() { return Byte() & 1; }
    // A number below `count` (0 when count is 0).
    size_t Pick(size_t count) { return count ? Word() % count : 0; }
    // A 16-bit length (low byte first), then that many bytes or what is left.
    std::span<const uint8_t> Chunk() {
        const size_t length = std::min<size_t>(Word(), bytes_.size());
        const auto chunk = bytes_.first(length);
        bytes_ = bytes_.subspan(length);
        return chunk;
    }
    std::span<const uint8_t> Rest() {
        const auto rest = bytes_;
        bytes_ = {};
        return rest;
    }

private:
    std::span<const uint8_t> bytes_;
};

// Lines as an editor keeps them: split at "\n" (a "\r" before it dropped), each at most
// kMaxSTLineLength characters.
inline std::vector<std::string> ModelLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        do {
            lines.emplace_back(line.substr(0, kMaxSTLineLength));
            line.remove_prefix(std::min(line.size(), kMaxSTLineLength));
        } while (!line.empty());
        start = end + 1;
    }
    return lines;
}

}  // namespace pontra::fuzz
