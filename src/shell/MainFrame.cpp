// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MainFrame.h"

#include "online/OnlineSession.h"
#include "shell/HeapPolicy.h"
#include "shell/Titles.h"

namespace pontra {

CMainFrame::CMainFrame(Host& host)
    : output(host), host_(host), project_(NewProject()), online_(std::make_unique<OnlineSession>(*this)) {
    KeepFreedMemoryForReuse();
    CreateStandardLibrary(standardLibrary);
    host_.SetTimerHandler([this](int id) { OnTimer(id); });
}

CMainFrame::~CMainFrame() {
    host_.SetTimerHandler({});
}

void CMainFrame::OnTimer(int id) {
    online_->OnTimer(id);
}

void CMainFrame::SetProject(std::unique_ptr<CProject> project) {
    project_ = std::move(project);
    projectOpen_ = true;
    UpdateTitles();
}

void CMainFrame::CloseProject() {
    project_ = NewProject();
    projectOpen_ = false;
}

void CMainFrame::SetModified(bool modified) {
    project_->doc.modified = modified;
    UpdateTitles();
}

void CMainFrame::UpdateTitles() {
    TitleState state;
    state.online = debugMode != 0;
    state.statusSuffix = statusSuffix;
    for (const auto& [window, title] : WindowTitles(*project_, state)) host_.SetTitle(window, title);
}

}  // namespace pontra
