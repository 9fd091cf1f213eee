#include "shell/MainFrame.h"

#include "shell/Titles.h"

namespace pontra {

CMainFrame::CMainFrame(Host& host) : output(host), host_(host), project_(NewProject()) {
    CreateStandardLibrary(standardLibrary);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::SetProject(std::unique_ptr<CProject> project) {
    project_ = std::move(project);
    UpdateTitles();
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
