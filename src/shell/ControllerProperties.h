// SPDX-License-Identifier: GPL-3.0-or-later
// The "Controller Properties..." command: module address and controller type.
#pragma once

namespace pontra {

class CMainFrame;

// Shows the dialog and applies the choice; true when the project changed.
bool ChangeControllerProperties(CMainFrame& frame);

}  // namespace pontra
