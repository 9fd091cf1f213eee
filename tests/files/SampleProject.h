// SPDX-License-Identifier: GPL-3.0-or-later
// A project that uses every stored field: branches nested in legs, tags with members,
// a connection slot, a non-volatile tag, a ladder and a Structured Text function block,
// a user type and a configuration type with choices.
#pragma once

#include "model/ControllerTypes.h"
#include "model/Project.h"
#include "model/Types.h"

namespace pontra::test {

inline std::unique_ptr<CElement> MakeElement(int kind, std::vector<std::string> operands) {
    auto e = std::make_unique<CElement>(kind);
    e->operandCount = static_cast<int>(operands.size());
    for (size_t i = 0; i < operands.size(); ++i) e->operands[i] = operands[i];
    return e;
}

// A branch in `rung` with one leg per operand list: XIC(operand) each.
inline CElement& AddBranch(CRung& rung, const std::vector<std::string>& legOperands) {
    CElement& branch = rung.Append(std::make_unique<CElement>(kKindBranch));
    branch.operandCount = 0;
    for (const auto& op : legOperands) {
        auto leg = std::make_unique<CRung>();
        leg->flag = 1;
        leg->parent = &rung;
        leg->Append(MakeElement(kKindBranchLevel, {""}));
        leg->Append(MakeElement(2, {op}));
        branch.legs.push_back(std::move(leg));
    }
    rung.Append(MakeElement(kKindBranchEnd, {""}));
    return branch;
}

inline std::unique_ptr<CTag> MakeTag(const CProject& project, std::string name, std::string type, std::string init = "0") {
    auto tag = std::make_unique<CTag>(std::move(name), std::move(type));
    tag->initialValue = std::move(init);
    BuildMembers(project, *tag);
    return tag;
}

inline std::unique_ptr<CProject> SampleProject() {
    auto p = NewProject("Kormo");
    CVessaDoc& doc = p->doc;
    doc.timeStamp = 0x5F000001;
    doc.SetModuleAddress(0x7F000102);
    doc.version = {1, 2, 7};
    doc.loadedVersion = doc.version;

    // Main: a comment, a contact, a branch whose second leg holds a branch of its own, a coil.
    CRung& rung = *doc.rungs[0];
    rung.comment = "Start conveyor";
    rung.Append(MakeElement(2, {"Start"}));
    CElement& outer = AddBranch(rung, {"A", "B"});
    AddBranch(*outer.legs[1], {"C", "D"});
    rung.Append(MakeElement(4, {"Motor"}));
    auto second = NewRung();
    second->Append(MakeElement(62, {"Conv1"}));
    doc.rungs.push_back(std::move(second));

    // Units first, so that tags of their types get members.
    auto fb = std::make_unique<CUnit>("Conveyor", kUnitFunctionBlock, kLanguageLadder);
    fb->rungs.push_back(NewRung());
    fb->rungs[0]->Append(MakeElement(2, {"Run"}));
    auto run = std::make_unique<CTag>("Run", "BOOL");
    run->usage = kUsageInput;
    fb->tags.push_back(std::move(run));
    auto speed = MakeTag(*p, "Speed", "INT", "300");
    speed->usage = kUsageStatic;
    speed->description = "Belt speed";
    fb->tags.push_back(std::move(speed));
    p->units.push_back(std::move(fb));
    p->types.push_back(std::make_unique<CType>("Conveyor"));

    auto st = std::make_unique<CUnit>("Ramp", kUnitFunctionBlock, kLanguageST);
    st->text = {"(* ramp *)", "Out := In + 1;", "", std::string(512, 'x')};
    auto in = std::make_unique<CTag>("In", "DINT");
    in->usage = kUsageInput;
    st->tags.push_back(std::move(in));
    p->units.push_back(std::move(st));
    p->types.push_back(std::make_unique<CType>("Ramp"));

    auto config = std::make_unique<CUnit>("Configuration", kUnitType);
    auto configType = std::make_unique<CType>("Configuration");
    for (auto* list : {&config->tags, &configType->members}) {
        auto mode = std::make_unique<CTag>("Mode", "SINT");
        mode->configMode = kConfigChoice;
        mode->configText = "Operating mode";
        mode->choiceTexts = {"Off", "Auto"};
        mode->choiceValues = {0, 7};
        BuildMembers(*p, *mode);
        list->push_back(std::move(mode));
        auto limit = std::make_unique<CTag>("Limit", "INT");
        limit->configMode = kConfigRange;
        limit->choiceTexts = {"Min", "Max"};
        limit->choiceValues = {1, 0xFFFFFFFF};
        list->push_back(std::move(limit));
    }
    p->units.push_back(std::move(config));
    p->types.push_back(std::move(configType));

    // Program tags.
    doc.tags.push_back(MakeTag(*p, "Count", "DINT", "5"));
    auto timer = MakeTag(*p, "Delay", "TIMER");
    timer->members[0]->initialValue = "1500";  // Delay.PRE
    doc.tags.push_back(std::move(timer));
    auto retained = MakeTag(*p, "Total", "DINT");
    retained->nonVolatile = 1;
    retained->style = "Hex";
    retained->description = std::string(300, 'd');
    doc.tags.push_back(std::move(retained));
    auto alias = std::make_unique<CTag>("Alias1", "DINT");
    alias->alias = "Count";
    alias->baseTag = "Count";
    doc.tags.push_back(std::move(alias));
    doc.tags.push_back(MakeTag(*p, "Conv1", "Conveyor"));
    doc.tags.push_back(MakeTag(*p, "Settings", "Configuration"));
    doc.tags.push_back(MakeTag(*p, "Buffer", "INT[3]"));

    // Controller tags: a produced connection in the first slot, user settings elsewhere.
    CTag& slot = *doc.controllerTags[static_cast<size_t>(FirstConnectionSlot("Kormo"))];
    slot.connectionKind = kConnProduced;
    slot.connectionWord = 0x7F000203;
    slot.connectionParam = 12;
    slot.description = "To next zone";
    CTag& polarity = *p->FindControllerTag("SensorPolarity");
    polarity.initialValue = "3";
    polarity.members[0]->initialValue = "1";
    polarity.members[1]->initialValue = "1";
    polarity.style = "Binary";
    p->FindControllerTag("Inputs")->members[3]->description = "Jam sensor";
    std::vector<uint8_t> image;
    LayOutControllerArea(*p, image);
    return p;
}

}  // namespace pontra::test
