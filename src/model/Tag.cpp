// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Tag.h"

namespace pontra {

std::unique_ptr<CTag> CTag::Clone() const {
    auto copy = std::make_unique<CTag>(name, dataType);
    copy->initialValue = initialValue;
    copy->style = style;
    copy->description = description;
    copy->alias = alias;
    copy->baseTag = baseTag;
    copy->usage = usage;
    copy->byteSize = byteSize;
    copy->scope = scope;
    copy->work1 = work1;
    copy->address = address;
    copy->bit = bit;
    copy->connectionWord = connectionWord;
    copy->connectionKind = connectionKind;
    copy->connectionParam = connectionParam;
    copy->nonVolatile = nonVolatile;
    copy->configMode = configMode;
    copy->configText = configText;
    copy->choiceTexts = choiceTexts;
    copy->choiceValues = choiceValues;
    copy->work2 = work2;
    copy->members.reserve(members.size());
    for (const auto& m : members) copy->members.push_back(m->Clone());
    return copy;
}

bool CTag::SameAs(const CTag& o) const {
    if (name != o.name || dataType != o.dataType || initialValue != o.initialValue || style != o.style ||
        description != o.description || alias != o.alias || baseTag != o.baseTag || usage != o.usage ||
        byteSize != o.byteSize || scope != o.scope || address != o.address || bit != o.bit ||
        connectionWord != o.connectionWord || connectionKind != o.connectionKind ||
        connectionParam != o.connectionParam || nonVolatile != o.nonVolatile || configMode != o.configMode ||
        configText != o.configText || choiceTexts != o.choiceTexts || choiceValues != o.choiceValues ||
        members.size() != o.members.size())
        return false;
    for (size_t i = 0; i < members.size(); ++i)
        if (!members[i]->SameAs(*o.members[i])) return false;
    return true;
}

CTag* FindTag(const TagList& tags, std::string_view name) {
    for (const auto& t : tags)
        if (t->name == name) return t.get();
    return nullptr;
}

size_t InsertByUsage(TagList& tags, std::unique_ptr<CTag> tag) {
    size_t i = 0;
    while (i < tags.size() && tags[i]->usage <= tag->usage) ++i;
    tags.insert(tags.begin() + static_cast<std::ptrdiff_t>(i), std::move(tag));
    return i;
}

}  // namespace pontra
