// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/SimulatedModuleFactory.h"

#include "build/ProgramImage.h"
#include "model/Project.h"
#include "shell/MainFrame.h"
#include "sim/ImageCheck.h"

namespace pontra::scenario {

std::unique_ptr<SimulatedModule> MakeSimulatedModule(CMainFrame& frame, uint32_t scanMs) {
    std::vector<uint8_t> image;
    if (!BuildProgramImageBytes(frame, image)) return nullptr;
    UnitCodeStarts units;
    for (const auto& unit : frame.project().units)
        if (unit->IsFunctionBlock()) units.emplace_back(static_cast<uint32_t>(unit->codeAddress), unit->name);
    return std::make_unique<SimulatedModule>(std::move(image), sim::FamilyName(frame.doc().controllerType), scanMs,
                                             std::move(units));
}

}  // namespace pontra::scenario
