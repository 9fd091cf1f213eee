// SPDX-License-Identifier: GPL-3.0-or-later
// The rung, element and tag records of project files. The clipboard carries the same
// rung and element records, so single records can be written to and read from memory
// buffers on their own.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/Archive.h"
#include "model/Ladder.h"
#include "model/Tag.h"

namespace pontra {

class CProject;

// The format version every writer produces.
constexpr uint32_t kCurrentFormatVersion = 5;

// Branch legs nest rung inside element inside rung; a file nesting deeper than this is a
// read error, which keeps the reader's recursion bounded on hostile input. The editor
// builds nothing close to it.
constexpr int kMaxBranchDepth = 64;
// Tag members nest through structures and arrays; member building stops at 32 levels,
// so a deeper file is damaged.
constexpr int kMaxTagDepth = 64;

// Elements one file or clipboard payload may hold in all. An element takes some 900
// bytes of memory for a record of 12, far more than any other record for its size, so
// this keeps a file's elements under about 90 MB however large the file is. Each codes
// into a word or more of the module's program memory (40 KB at most), so a file with
// more is none a module could run; the component import stops at the same number.
constexpr uint32_t kMaxElementRecords = 100000;
// Versions 1 and 2 store integer tags without their bit members, which the reader
// derives: 9 to 33 tags from a record of 7 bytes. These files have no function blocks,
// so all their integers share the tag memory; more bytes of them is a damaged file.
constexpr uint32_t kMaxDerivedIntegerBytes = 10000;

// Smallest possible records, for checking list counts against the bytes left.
constexpr uint32_t kMinRungRecord = 9;      // flag, empty comment, element count
constexpr uint32_t kMinElementRecord = 12;  // kind, operand count, leg count
uint32_t MinTagRecord(uint32_t version);

// Rung record: flag, comment, elements (each with its kind first).
void WriteRung(ArchiveWriter& out, const CRung& rung);
// Element record with its kind word first: kind, operand count, operands, legs.
void WriteElement(ArchiveWriter& out, const CElement& element);
// Tag record of the current version. With a controller type given, a direct member
// whose description equals its description-table text is written with an empty one.
void WriteTag(ArchiveWriter& out, const CTag& tag, std::string_view controllerType = {});

// Reads a rung record; `parent` becomes the rung's parent (null for a top-level rung).
// Returns null once the reader has failed.
std::unique_ptr<CRung> ReadRung(ArchiveReader& in, CRung* parent, int depth = 0);
// Reads an element record, kind word first; the element is built from the catalogue
// and then takes the stored operands and legs.
std::unique_ptr<CElement> ReadElement(ArchiveReader& in, CRung* parent, int depth = 0);
// Reads a tag record as written by format `version` (1-5). Versions 1 and 2 derive what
// they lack: "SINT" for an empty type, bit members for an integer stored without any.
std::unique_ptr<CTag> ReadTag(ArchiveReader& in, uint32_t version, const CProject& project, int depth = 0);

// Single records in memory buffers (clipboard payloads). The readers fail, with a
// message, unless the buffer starts with one complete record; bytes after it are
// ignored, as clipboard blocks are allocated in steps.
std::vector<uint8_t> RungToBytes(const CRung& rung);
std::vector<uint8_t> ElementToBytes(const CElement& element);
std::unique_ptr<CRung> RungFromBytes(std::span<const uint8_t> bytes, std::string& error);
std::unique_ptr<CElement> ElementFromBytes(std::span<const uint8_t> bytes, std::string& error);

}  // namespace pontra
