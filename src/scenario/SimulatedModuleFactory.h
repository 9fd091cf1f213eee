// SPDX-License-Identifier: GPL-3.0-or-later
// The in-process target for the open project: its program image built exactly as a
// download builds it (verification, layout, code, the same bytes the file would hold),
// loaded into a simulated module of its controller type.
#pragma once

#include <cstdint>
#include <memory>

#include "scenario/SimulatedModule.h"

namespace pontra {
class CMainFrame;
}

namespace pontra::scenario {

// None when the build fails (its errors are in the frame's output window or messages).
// The build lays out the tag memory, so tags can be bound afterwards.
std::unique_ptr<SimulatedModule> MakeSimulatedModule(CMainFrame& frame, uint32_t scanMs);

}  // namespace pontra::scenario
