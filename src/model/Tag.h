// SPDX-License-Identifier: GPL-3.0-or-later
// Tags (variables) and data types.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pontra {

class CTag;
using TagList = std::vector<std::unique_ptr<CTag>>;

enum TagUsage : int { kUsageNone = 0, kUsageInput = 1, kUsageOutput = 2, kUsageInOut = 3, kUsageStatic = 4 };
enum ConnectionKind : uint8_t {
    kConnNotUsed = 0,
    kConnProduced = 1,
    kConnConsumed = 3,
    kConnNone = 5,  // the tag cannot be a connection tag
};
enum ConfigMode : uint8_t { kConfigNone = 0, kConfigValue = 1, kConfigRange = 2, kConfigChoice = 3 };

// A tag declaration; also a member of a structure, an array element, a bit member of
// an integer, a timer/counter member or a member of a function-block instance.
class CTag {
public:
    CTag() = default;
    CTag(std::string name, std::string dataType) : name(std::move(name)), dataType(std::move(dataType)) {}
    CTag(const CTag&) = delete;
    CTag& operator=(const CTag&) = delete;

    std::string name;  // members carry the full dotted or indexed name (T.3, T.PRE, A[2])
    std::string dataType;  // arrays carry their dimensions: DINT[10], DINT[3,4]
    std::string initialValue = "0";
    std::string style = "Decimal";
    std::string description;
    std::string alias;
    std::string baseTag;
    int usage = kUsageNone;
    int byteSize = 0;
    int scope = 0;  // 1 for controller tags and their members
    int work1 = 0;
    int address = 0;
    int bit = 0;
    uint32_t connectionWord = 0;
    uint8_t connectionKind = kConnNone;
    uint16_t connectionParam = 0;
    int nonVolatile = 0;
    uint8_t configMode = kConfigNone;
    std::string configText;
    std::vector<std::string> choiceTexts;
    std::vector<uint32_t> choiceValues;
    int work2 = 1;
    TagList members;

    // Deep copy (members included).
    std::unique_ptr<CTag> Clone() const;
    // Same declaration and members, field by field (addresses and working fields included).
    bool SameAs(const CTag& other) const;
};

// A data type descriptor of the type list.
class CType {
public:
    CType() = default;
    explicit CType(std::string name) : name(std::move(name)) {}
    CType(const CType&) = delete;
    CType& operator=(const CType&) = delete;

    std::string name;
    uint32_t work = 0;
    std::string workText;
    TagList members;  // member declarations in order; empty for elementary types
    int work2 = 0;
};

using TypeList = std::vector<std::unique_ptr<CType>>;

// Finds a tag in a list by exact name (top level only).
CTag* FindTag(const TagList& tags, std::string_view name);

// Inserts a function-block tag keeping the Input, Output, InOut, Static grouping: before
// the first tag whose usage is greater than its own, else at the end. Returns its index.
size_t InsertByUsage(TagList& tags, std::unique_ptr<CTag> tag);

}  // namespace pontra
