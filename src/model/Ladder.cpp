// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Ladder.h"

#include <atomic>

#include "model/Catalogue.h"

namespace pontra {

namespace {
std::atomic<uint64_t> nextElementId{1};
}

CElement::CElement(int kind) : kind(kind), id(nextElementId.fetch_add(1, std::memory_order_relaxed)) {
    ApplyCatalogue(*this);
}
CElement::~CElement() = default;

CRung::CRung() = default;
CRung::~CRung() = default;

CElement& CRung::Append(std::unique_ptr<CElement> element) {
    element->parent = this;
    elements.push_back(std::move(element));
    return *elements.back();
}

CElement& CRung::Insert(size_t index, std::unique_ptr<CElement> element) {
    element->parent = this;
    if (index > elements.size()) index = elements.size();
    auto it = elements.insert(elements.begin() + static_cast<std::ptrdiff_t>(index), std::move(element));
    return **it;
}

std::unique_ptr<CRung> CopyRung(const CRung& rung, CRung* newParent) {
    auto copy = std::make_unique<CRung>();
    copy->comment = rung.comment;
    copy->width = rung.width;
    copy->height = rung.height;
    copy->flag = rung.flag;
    copy->parent = newParent;
    copy->elements.reserve(rung.elements.size());
    for (const auto& e : rung.elements) copy->elements.push_back(CopyElement(*e, copy.get()));
    return copy;
}

std::unique_ptr<CElement> CopyElement(const CElement& e, CRung* newParent) {
    auto copy = std::make_unique<CElement>(e.kind);
    copy->mnemonic = e.mnemonic;
    copy->description = e.description;
    copy->operandCount = e.operandCount;
    copy->outputInstruction = e.outputInstruction;
    copy->operands = e.operands;
    copy->allowedTypes = e.allowedTypes;
    copy->valueRow = e.valueRow;
    copy->operandNotes = e.operandNotes;
    copy->access = e.access;
    copy->labels = e.labels;
    copy->sizeX = e.sizeX;
    copy->sizeY = e.sizeY;
    copy->descriptionOperand = e.descriptionOperand;
    if (e.kind == kKindJFB) copy->callParams = e.callParams;
    copy->parent = newParent;
    copy->legs.reserve(e.legs.size());
    for (const auto& leg : e.legs) copy->legs.push_back(CopyRung(*leg, newParent));
    return copy;
}

void DeleteBranchLegs(CElement& element) {
    for (auto& leg : element.legs) DeleteRungContents(*leg);
    element.legs.clear();
}

void DeleteRungContents(CRung& rung) {
    for (auto& e : rung.elements) DeleteBranchLegs(*e);
    rung.elements.clear();
}

CElement* FindElementById(const CRung& rung, uint64_t id) {
    for (const auto& e : rung.elements) {
        if (e->id == id) return e.get();
        for (const auto& leg : e->legs)
            if (CElement* found = FindElementById(*leg, id)) return found;
    }
    return nullptr;
}

int ElementPosition(const CElement& element) {
    if (!element.parent) return -1;
    const auto& list = element.parent->elements;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == &element) return static_cast<int>(i);
    return -1;
}

CRung* TopLevelRung(CRung* rung) {
    while (rung && rung->parent) rung = rung->parent;
    return rung;
}

CRung* TopLevelRung(const CElement& element) { return TopLevelRung(element.parent); }

std::unique_ptr<CRung> NewRung() {
    auto rung = std::make_unique<CRung>();
    rung->Append(std::make_unique<CElement>(kKindRung));
    return rung;
}

}  // namespace pontra
