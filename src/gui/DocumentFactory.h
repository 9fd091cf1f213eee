// SPDX-License-Identifier: GPL-3.0-or-later
// Which document window shows a window key of the core's titles.
#pragma once

#include <memory>
#include <string>

#include "gui/DocumentView.h"

class QWidget;

namespace pontra {
class CMainFrame;
}

namespace pontra::gui {

// The view for "main", "tags", "fb:NAME:routine", "fb:NAME:tags" or "type:NAME"; null for
// a key that names nothing in the open project.
std::unique_ptr<DocumentView> CreateDocumentView(CMainFrame& frame, const std::string& key, QWidget* parent);

}  // namespace pontra::gui
