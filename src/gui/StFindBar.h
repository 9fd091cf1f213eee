// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor's find bar: find only, modeless, under the editor's bar.
// "Find Next" searches with the core (match case, whole word, up or down); a miss leaves
// the selection and says so in the bar.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace pontra::gui {

class StTextEdit;

class StFindBar : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kNotFound = "Cannot find \"%1\".";

    StFindBar(StTextEdit& editor, QWidget* parent = nullptr);

    // Shows the bar with the selected text (one line) as what to find, and focuses it.
    void Open();
    // "Find Next"; false on a miss.
    bool FindNext();

    QLineEdit* findWhat() const { return what_; }
    QCheckBox* matchCase() const { return matchCase_; }
    QCheckBox* wholeWord() const { return wholeWord_; }
    QRadioButton* up() const { return up_; }
    QLabel* status() const { return status_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    StTextEdit& editor_;
    QLineEdit* what_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QRadioButton* up_;
    QRadioButton* down_;
    QLabel* status_;
};

}  // namespace pontra::gui
