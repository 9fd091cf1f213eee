// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/CrossReferenceDock.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/QtText.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

namespace {
// The element by its id: the list may be older than the last edit, so its pointers are
// never followed.
CElement* FindElement(const RungList& rungs, uint64_t id) {
    for (const auto& rung : rungs)
        if (CElement* e = FindElementById(*rung, id)) return e;
    return nullptr;
}
}  // namespace

CrossReferenceDock::CrossReferenceDock(CMainFrame& frame, QWidget* parent)
    : QDockWidget(QStringLiteral("Cross Reference"), parent), frame_(frame) {
    setObjectName(QStringLiteral("CrossReferenceDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    heading_ = new QLabel(body);
    list_ = new QTreeWidget(body);
    list_->setHeaderLabels({QStringLiteral("Place"), QStringLiteral("Reference"), QStringLiteral("Access"),
                            QStringLiteral("Note")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(heading_);
    layout->addWidget(list_);
    setWidget(body);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &CrossReferenceDock::OnActivated);
}

void CrossReferenceDock::Clear() {
    uses_.clear();
    elementIds_.clear();
    list_->clear();
    heading_->clear();
}

void CrossReferenceDock::ShowUses(CUnit* unit, const QString& tag) {
    Clear();
    const auto name = FromQString(tag);
    if (!name) return;
    uses_ = FindTagUses(frame_.project(), unit, *name);
    const std::vector<std::string> flagged = MultipleWriters(uses_);
    for (const TagUse& use : uses_) {
        elementIds_.push_back(use.element ? use.element->id : 0);
        const bool multiple = use.Writes() && std::find(flagged.begin(), flagged.end(), use.reference) != flagged.end();
        auto* item = new QTreeWidgetItem({ToQString(UsePlace(use)), ToQString(use.reference),
                                          ToQString(UseAccessName(use.access)),
                                          multiple ? QStringLiteral("multiple writers") : QString()});
        if (multiple) item->setForeground(3, Qt::darkRed);
        list_->addTopLevelItem(item);
    }
    QString text = QStringLiteral("%1: %2 use(s)").arg(tag).arg(uses_.size());
    if (!flagged.empty()) text += QStringLiteral(", multiple writers");
    heading_->setText(text);
    show();
    raise();
}

OutputJump CrossReferenceDock::JumpOf(int row) const {
    OutputJump jump;
    if (row < 0 || row >= static_cast<int>(uses_.size())) return jump;
    const TagUse& use = uses_[static_cast<size_t>(row)];
    // The unit may have been deleted since the list was made.
    if (use.unit && std::none_of(frame_.units().begin(), frame_.units().end(),
                                 [&](const auto& u) { return u.get() == use.unit; }))
        return jump;
    jump.unit = use.unit;
    if (use.line > 0) {
        jump.kind = OutputJump::Kind::TextLine;
        jump.line = use.line;
        return jump;
    }
    const RungList& rungs = use.unit ? use.unit->rungs : frame_.project().doc.rungs;
    CElement* element = FindElement(rungs, elementIds_[static_cast<size_t>(row)]);
    if (!element) return {};
    jump.kind = OutputJump::Kind::LadderElement;
    jump.element = element;
    // The rung as it stands now: rungs may have moved since.
    const CRung* top = TopLevelRung(*element);
    for (size_t r = 0; r < rungs.size(); ++r)
        if (rungs[r].get() == top) jump.rung = static_cast<int>(r);
    return jump;
}

void CrossReferenceDock::OnActivated(QTreeWidgetItem* item) {
    const OutputJump jump = JumpOf(list_->indexOfTopLevelItem(item));
    if (jump.kind != OutputJump::Kind::None) Q_EMIT useActivated(jump);
}

}  // namespace pontra::gui
