// SPDX-License-Identifier: GPL-3.0-or-later
// Rungs and elements: the ladder structure of a program unit.
//
// A rung is a flat list of elements. Parallel branches are expressed by markers: a
// kind-5 element owns the legs (each a CRung starting with a kind-7 element) and is
// followed in the same list by a kind-6 element that closes the branch.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CRung;
class CElement;

using RungList = std::vector<std::unique_ptr<CRung>>;
using ElementList = std::vector<std::unique_ptr<CElement>>;

constexpr int kMaxOperands = 5;

// Structural element kinds; every other kind is an instruction of the catalogue.
enum ElementKind : int {
    kKindRung = 1,
    kKindBranch = 5,
    kKindBranchEnd = 6,
    kKindBranchLevel = 7,
    kKindJFB = 62,
};

enum OperandAccess : int { kAccessNone = 0, kAccessRead = 1, kAccessWritten = 2 };
enum ValueRowKind : int { kValueRowNone = 0, kValueRowValue = 1, kValueRowTimerCounter = 2 };

struct CRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const CRect&) const = default;
};

// Connection point of a drawn rung (computed by the ladder view, never saved).
struct CPt {
    int x = -1, y = -1, z = -1;
    int w = -1;
    int v = 0;
};

// One parameter binding of a JFB call: which instance member receives an input
// argument and which tag receives an output. Built by the editor and the compilers,
// copied with the element, never saved.
struct CCallParam {
    std::string name;     // parameter (function-block tag) name
    std::string type;     // its data type
    int usage = 0;        // 1 Input, 2 Output, 3 InOut
    std::string input;    // argument copied into the instance before the call
    std::string output;   // tag that receives the member after the call
    bool operator==(const CCallParam&) const = default;
};

class CElement {
public:
    // Fills the element from the instruction catalogue; kinds without an entry keep
    // the defaults (empty mnemonic, one operand).
    explicit CElement(int kind);
    ~CElement();
    CElement(const CElement&) = delete;
    CElement& operator=(const CElement&) = delete;

    int kind = 0;
    std::string mnemonic;
    int operandCount = 1;
    std::array<std::string, kMaxOperands> operands;
    // Allowed types, labels and description are the catalogue's own static texts, the
    // same for every element of a kind: elements only point at them (a program holds
    // hundreds of thousands of elements; copies would be most of its memory).
    std::array<std::string_view, kMaxOperands> allowedTypes;
    std::array<int, kMaxOperands> valueRow{};
    std::array<std::string, kMaxOperands> operandNotes;
    std::array<int, kMaxOperands> access{};
    std::array<std::string_view, kMaxOperands> labels;
    std::string_view description;
    int outputInstruction = 0;
    CRect rect{0, 50, 50, 100};
    CRect rect2{};
    int sizeX = 50, sizeY = 50;
    int work1 = 0, work2 = 0;
    int descriptionOperand = 0;

    // Identity that survives moves but not deletion: references held outside the model
    // (output-window lines) find their element by it, never by address.
    const uint64_t id;

    CRung* parent = nullptr;           // the rung or leg that holds this element (not owned)
    RungList legs;                     // kind 5 only: the branch legs, top to bottom
    std::vector<CCallParam> callParams;  // kind 62 only

    bool IsBranch() const { return kind == kKindBranch; }
};

class CRung {
public:
    CRung();
    ~CRung();
    CRung(const CRung&) = delete;
    CRung& operator=(const CRung&) = delete;

    std::string comment;
    ElementList elements;
    int width = 333, height = 100;   // drawing size; a loaded rung gets 20 x 50
    std::vector<CPt> points;
    int flag = 0;                    // 0 top-level rung, 1 branch leg
    CRung* parent = nullptr;         // for a leg: the rung or leg holding its branch element

    // Appends an element and makes this rung its parent.
    CElement& Append(std::unique_ptr<CElement> element);
    CElement& Insert(size_t index, std::unique_ptr<CElement> element);
};

// Deep copy of a rung (comment, layout size, flag, every element); the copy's parent
// is `newParent`.
std::unique_ptr<CRung> CopyRung(const CRung& rung, CRung* newParent);

// Deep copy of an element whose parent becomes `newParent`; its legs are copied with
// `newParent` as their parent, as legs hang off the rung that holds the branch.
std::unique_ptr<CElement> CopyElement(const CElement& element, CRung* newParent);

// Empties a rung (legs of branch elements first, recursively).
void DeleteRungContents(CRung& rung);

// Deletes every leg of a branch element.
void DeleteBranchLegs(CElement& element);

// The element with this id below a rung (legs included), or null.
CElement* FindElementById(const CRung& rung, uint64_t id);

// Index of the element in its parent's element list, or -1.
int ElementPosition(const CElement& element);

// The top-level rung an element or leg belongs to (follows parent links upwards).
CRung* TopLevelRung(CRung* rungOrLeg);
CRung* TopLevelRung(const CElement& element);

// A new empty top-level rung: one kind-1 element.
std::unique_ptr<CRung> NewRung();

}  // namespace pontra
