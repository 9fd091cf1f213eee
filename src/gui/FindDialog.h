// SPDX-License-Identifier: GPL-3.0-or-later
// "Find": the search text, the three fields, whole word, case and the direction.
// Modeless; "Find Next" (or F3) hands the options on, "Cancel" hides it.
#pragma once

#include <QDialog>
#include <optional>

#include "shell/FindInProgram.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace pontra::gui {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    // Shows the options of the view the search runs in, the focus in the search text.
    void ShowOptions(const FindOptions& options);
    // The options as set; none when the text holds a character a project cannot hold.
    std::optional<FindOptions> Options() const;
    QLineEdit* textEdit() const { return text_; }

Q_SIGNALS:
    void findNext(const pontra::FindOptions& options);

private:
    void OnFindNext();

    QLineEdit* text_;
    QCheckBox* operand_;
    QCheckBox* description_;
    QCheckBox* baseTag_;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QRadioButton* up_;
    QRadioButton* down_;
    QLabel* problem_;
};

}  // namespace pontra::gui
