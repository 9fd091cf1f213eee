// SPDX-License-Identifier: GPL-3.0-or-later
// Placement of tags in the module's tag memory: the layout cursor and the rules for
// elementary tags, timers, counters and structures. The same rules, run into a scratch
// block, give the size of a user type or of a function-block instance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Tag.h"

namespace pontra {

class CProject;

constexpr int kTagMemorySize = 10000;  // the module's whole tag memory
constexpr int kNonVolatileImageSize = 10296;

// One per layout run, passed through the recursion.
struct LayoutCursor {
    int offset = 0;
    int bitCounter = 0;        // bit number of the last BOOL placed in the current word
    std::string previousType;  // type of the last thing placed
};

// Initial values of the tag memory, indexed by absolute address. Stores at 10000 or
// beyond are skipped so that a layout always completes and the size check reports it.
class InitialImage {
public:
    explicit InitialImage(size_t size = kTagMemorySize) : bytes_(size, 0) {}
    void SetBit(int address, int bit, bool on);
    void Store(int address, int32_t value, int bytes);
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Starts a new type: aligns the offset to 4 (a BOOL word in use counts as taken).
void OpenNewType(LayoutCursor& cursor, const std::string& type);

// Ends a list of tags: after a BOOL the word is taken, otherwise round up to 4.
void CloseLayout(LayoutCursor& cursor);

// Places one tag and its members at the cursor, writing addresses, bits and initial values.
void PlaceTag(const CProject& project, CTag& tag, LayoutCursor& cursor, InitialImage& image);

// Byte size of a type laid out on its own from offset 0 (members with empty alias, then close).
int TypeByteSize(const CProject& project, const std::string& typeName);

}  // namespace pontra
