// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ControllerProperties.h"

#include "model/ControllerTypes.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"

namespace pontra {

bool ChangeControllerProperties(CMainFrame& frame) {
    if (!PassesGuards(frame, Command::ControllerProperties)) return false;
    Host& host = frame.host();
    CVessaDoc& doc = frame.doc();
    auto choice = host.ControllerPropertiesDialog(doc.moduleAddress, doc.controllerType);
    if (!choice) return false;
    const std::string newType = choice->type.empty() ? "Vessa" : choice->type;
    const bool typeChanged = newType != doc.controllerType;
    if (typeChanged && !host.AskOkCancel("You may lose some data! Do you want to continue?")) return false;

    const bool addressChanged = choice->address != doc.moduleAddress;
    doc.SetModuleAddress(choice->address);
    if (typeChanged) ApplyControllerType(frame.project(), newType);
    // A new address must reach the saved file too, so it marks the project modified as
    // a type change does.
    if (typeChanged || addressChanged) frame.SetModified(true);
    else frame.UpdateTitles();
    host.Repaint();  // the instruction bar's "Module Specific" tab follows the type
    return typeChanged || addressChanged;
}

}  // namespace pontra
