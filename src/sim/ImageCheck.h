// SPDX-License-Identifier: GPL-3.0-or-later
// The two checks a module makes before it runs an image: the header check and the prescan
// of the code. The prescan also produces the decoded view of the code that the machine
// runs from (instruction starts, rung numbers, function-block instance sizes).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pontra::sim {

struct ImageLayout {
    uint32_t timeStamp = 0;
    uint32_t codeOffset = 0;
    uint32_t codeSize = 0;
    uint32_t tagOffset = 0;
    uint32_t tagSize = 0;
    uint32_t nonVolatileStart = 0;
    uint32_t nonVolatileSize = 0;
};

// The family name a project of this controller type writes into the header (and so the
// one a module of that type accepts).
std::string FamilyName(std::string_view controllerType);

// Header checks in the module's order; 0 when the header is accepted. `layout` is filled
// as far as the file allows.
uint16_t CheckHeader(std::span<const uint8_t> image, std::string_view acceptedFamily, ImageLayout& layout);

// Where a prescan or runtime error was found.
struct CodeError {
    uint16_t code = 0;
    uint16_t pc = 0;           // word index
    uint16_t instruction = 0;  // instruction code at pc
    uint16_t rung = 0;         // rung within its unit, counted from 1
};

struct DecodedProgram {
    std::vector<uint32_t> words;
    std::vector<uint16_t> rungAt;        // per word: rung number (from 1) of the instruction there
    std::vector<uint32_t> instanceSize;  // per word: instance size when a function-block header starts there
    std::vector<uint8_t> isStart;        // per word: 1 where an instruction starts
};

// Checks the code against a tag memory of `tagSize` bytes. On success `program` holds the
// decoded code; on failure the first error found is returned.
CodeError Prescan(std::span<const uint32_t> words, uint32_t tagSize, DecodedProgram& program);

}  // namespace pontra::sim
