// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration block of the program image: the module's configuration screen
// shows the members of the configuration tag that have a configuration mode, with their
// captions, types, addresses and limits or choices.
//
// Layout (little-endian):
//   0  u32  block length, this field included
//   4  u32  address of the configuration tag
//   8  u32  size of the configuration type
//   12 u8   1
//   13 u8   0
//   14 u16  number of entries
//   16 u8 n, n chars: the configuration tag's name
// then per member whose configuration mode is not 0, in member order:
//   u8 n + chars: member name;  u8 n + chars: configuration text;
//   u8 n [+ chars when n > 0]: the instance member's description;
//   u8 type (1 BOOL, 2 SINT, 3 INT, 4 other);  u32 address;  u8 bit;
//   u8 mode (1 value, 2 range, 3 choices) | 0x80 when non-volatile;
//   mode 3: u8 count, then count x (u8 n + chars, u32 value);
//   mode 2: u8 flags (bit 0 minimum given, bit 1 maximum given), [u32 min], [u32 max].
// Texts and lists longer than a length byte can count are cut at 255.
#pragma once

#include <cstdint>
#include <vector>

namespace pontra {

class CProject;
class CTag;

struct ConfigurationBlock {
    std::vector<uint8_t> bytes;  // the block without its 0x02 section byte
    int entries = 0;
};

constexpr int kMaxConfigurationBlockSize = 1000;

// The block for the configuration tag (after the layout gave it its addresses); empty
// when there is no configuration tag or it has no members.
ConfigurationBlock BuildConfigurationBlock(const CProject& project, const CTag* configTag);

}  // namespace pontra
