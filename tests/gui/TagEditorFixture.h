// SPDX-License-Identifier: GPL-3.0-or-later
// A tag editor on a new project with a scripted host, and cell edits driven as a person
// makes them: the cell's in-place editor opened by the view, its text set, committed.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTreeView>
#include <memory>

#include "gui/TagEditor.h"
#include "gui/TagItemDelegate.h"
#include "gui/TagTreeModel.h"
#include "host/ScriptedHost.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra::gui::test {

class TagEditorTest : public ::testing::Test {
protected:
    TagEditorTest() { frame.SetProject(NewProjectDocument()); }

    TagEditor& Open(TagListSubject subject = TagListSubject::Main()) {
        editor = std::make_unique<TagEditor>(frame, subject);
        editor->resize(1000, 500);
        editor->show();
        return *editor;
    }
    TagTreeModel& model() { return *editor->model(); }

    // The top-level row of a tag by name (invalid when not shown).
    QModelIndex Row(const std::string& name, int column = TagTreeModel::kName) {
        for (int r = 0; r < model().rowCount(); ++r) {
            const QModelIndex index = model().index(r, column);
            const CTag* tag = model().TagAt(index);
            if (tag && tag->name == name) return index;
        }
        return {};
    }
    QModelIndex NewTagRow(int column = TagTreeModel::kName) {
        for (int r = 0; r < model().rowCount(); ++r)
            if (model().IsNewTagRow(model().index(r, column))) return model().index(r, column);
        return {};
    }

    // Opens the cell's editor through the view, types `text` and commits it. False when
    // the view opened no editor (the cell is not editable).
    bool EditCell(const QModelIndex& index, const QString& text) {
        QTreeView& view = *editor->view();
        if (!(model().flags(index) & Qt::ItemIsEditable)) return false;
        view.setCurrentIndex(index);
        view.edit(index);
        auto* delegate = qobject_cast<TagItemDelegate*>(view.itemDelegate());
        QWidget* open = delegate ? delegate->OpenEditor() : nullptr;
        if (!open) return false;
        if (auto* box = qobject_cast<QComboBox*>(open)) {
            const int at = box->findText(text);
            if (box->isEditable()) box->setEditText(text);
            else if (at >= 0) box->setCurrentIndex(at);
            else return false;
        } else if (auto* line = qobject_cast<QLineEdit*>(open)) {
            line->setText(text);
        }
        editor->CommitPendingEdits();
        return true;
    }

    std::string LastMessage() const {
        const auto messages = host.Messages();
        return messages.empty() ? std::string() : messages.back();
    }

    ScriptedHost host;
    CMainFrame frame{host};
    std::unique_ptr<TagEditor> editor;
};

}  // namespace pontra::gui::test
