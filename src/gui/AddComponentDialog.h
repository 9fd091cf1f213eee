// SPDX-License-Identifier: GPL-3.0-or-later
// "Add Component": name, type ("Function" is never offered for choice) and language.
#pragma once

#include <QDialog>
#include <optional>

#include "shell/ProjectTree.h"

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace pontra::gui {

class AddComponentDialog : public QDialog {
    Q_OBJECT
public:
    // `type` preselects the kind the context menu was opened on.
    explicit AddComponentDialog(ComponentType type, QWidget* parent = nullptr);

    // The request; none when the name cannot be held as project text (said on screen).
    std::optional<AddComponentRequest> Request() const;
    QLineEdit* nameEdit() const { return name_; }

private:
    void UpdateLanguage();

    QLineEdit* name_;
    QRadioButton* functionBlock_;
    QRadioButton* function_;
    QRadioButton* type_;
    QRadioButton* ladder_;
    QRadioButton* text_;
};

}  // namespace pontra::gui
