// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/InstructionBarDock.h"

#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolButton>

#include "gui/LadderSymbols.h"
#include "gui/QtText.h"

namespace pontra::gui {

InstructionBarDock::InstructionBarDock(QWidget* parent) : QDockWidget("Ladder Instruction Bar", parent), tabs_(new QTabWidget) {
    setObjectName("InstructionBar");
    tabs_->setDocumentMode(true);
    tabs_->setUsesScrollButtons(true);
    setWidget(tabs_);
    ShowType("Vessa");
}

void InstructionBarDock::ShowType(const std::string& controllerType) {
    if (built_ && controllerType == type_) return;
    built_ = true;
    type_ = controllerType;
    const int current = tabs_->currentIndex();
    while (tabs_->count() > 0) {
        QWidget* page = tabs_->widget(0);
        tabs_->removeTab(0);
        delete page;
    }
    for (const BarTab& tab : InstructionBar(controllerType)) {
        auto* page = new QWidget;
        auto* row = new QHBoxLayout(page);
        row->setContentsMargins(2, 2, 2, 2);
        row->setSpacing(1);
        for (const BarButton& button : tab.buttons) {
            auto* tool = new QToolButton;
            tool->setObjectName(QString("button%1").arg(button.index));
            tool->setIcon(ButtonIcon(button));
            tool->setIconSize(QSize(36, 24));
            tool->setText(ButtonName(button));
            tool->setToolTip(ButtonTip(button));
            tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            tool->setAutoRaise(true);
            connect(tool, &QToolButton::clicked, this, [this, button] { Q_EMIT buttonPressed(button); });
            row->addWidget(tool);
        }
        row->addStretch(1);
        tabs_->addTab(page, ToQString(tab.title));
    }
    if (current >= 0 && current < tabs_->count()) tabs_->setCurrentIndex(current);
}

QToolButton* InstructionBarDock::Button(int tab, int index) const {
    QWidget* page = tabs_->widget(tab);
    return page ? page->findChild<QToolButton*>(QString("button%1").arg(index)) : nullptr;
}

}  // namespace pontra::gui
