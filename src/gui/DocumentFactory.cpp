// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/DocumentFactory.h"

#include "gui/LadderEditor.h"
#include "gui/StEditorWindow.h"
#include "gui/TagEditor.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

namespace {

// "fb:NAME:routine" -> NAME; "type:NAME" -> NAME.
std::string UnitName(const std::string& key, const std::string& prefix, const std::string& suffix) {
    return key.substr(prefix.size(), key.size() - prefix.size() - suffix.size());
}

bool Frames(const std::string& key, const std::string& prefix, const std::string& suffix) {
    return key.size() > prefix.size() + suffix.size() && key.starts_with(prefix) && key.ends_with(suffix);
}

}  // namespace

std::unique_ptr<DocumentView> CreateDocumentView(CMainFrame& frame, const std::string& key, QWidget* parent) {
    if (!frame.HasProject()) return nullptr;
    if (key == "main") return std::make_unique<LadderEditor>(frame, nullptr, parent);
    if (key == "tags") return std::make_unique<TagEditor>(frame, TagListSubject::Main(), parent);
    CUnit* unit = nullptr;
    if (Frames(key, "fb:", ":routine")) {
        unit = frame.project().FindUnit(UnitName(key, "fb:", ":routine"));
        if (!unit || !unit->IsFunctionBlock()) return nullptr;
        if (unit->IsStructuredText()) return std::make_unique<StEditorWindow>(frame, *unit, parent);
        return std::make_unique<LadderEditor>(frame, unit, parent);
    }
    if (Frames(key, "fb:", ":tags")) unit = frame.project().FindUnit(UnitName(key, "fb:", ":tags"));
    else if (Frames(key, "type:", "")) unit = frame.project().FindUnit(UnitName(key, "type:", ""));
    if (!unit) return nullptr;
    return std::make_unique<TagEditor>(frame, TagListSubject::Of(*unit), parent);
}

}  // namespace pontra::gui
