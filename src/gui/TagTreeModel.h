// SPDX-License-Identifier: GPL-3.0-or-later
// The item model of one tag list: the declared tags (for the main program followed by
// the controller tags), each expandable into its members, and a last "new tag" row.
// Rows of members are created only when their parent is expanded, so a list of arrays
// with tens of thousands of members opens and filters at the cost of its top level.
// Every edit goes through the core's tag rules; a refused edit changes nothing and the
// rule's message reaches the person through the host.
#pragma once

#include <QAbstractItemModel>
#include <memory>
#include <vector>

#include "shell/TagRules.h"

namespace pontra {
class CMainFrame;
class CTag;
}  // namespace pontra

namespace pontra::gui {

class TagTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column {
        kName,
        kAlias,
        kBaseTag,
        kDataType,
        kValue,
        kStyle,
        kDescription,
        kControlType,
        kControlProperties,
        kColumnCount
    };
    // The data type a tag typed into the new-tag row gets.
    static constexpr const char* kNewTagType = "DINT";

    TagTreeModel(CMainFrame& frame, TagListSubject subject, QObject* parent = nullptr);
    ~TagTreeModel() override;

    const TagListSubject& subject() const { return subject_; }
    CMainFrame& frame() { return frame_; }

    // The tag of a row; null for the new-tag row.
    CTag* TagAt(const QModelIndex& index) const;
    bool IsNewTagRow(const QModelIndex& index) const;
    // Whether the row's tag is one of the list's own declarations.
    bool IsDeclared(const QModelIndex& index) const;
    // The top-level row of a declared or controller tag (invalid when none, or filtered out).
    QModelIndex IndexOf(const CTag* tag, int column = kName) const;

    // Top-level rows whose name, data type or description contain `text` (any case).
    void SetFilter(const QString& text);
    const QString& filter() const { return filter_; }

    // Re-reads the whole list from the model (after changes made elsewhere).
    void Reload();
    // Online: the value cells whose text changed get dataChanged, nothing else.
    void RefreshLiveValues();
    // The title of the value column follows the debug mode.
    void DebugModeChanged();

    int columnCount(const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // Rows of the main program's list drag their names as text (for the trend).
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

Q_SIGNALS:
    // An edit was accepted: the project changed (other views re-read it).
    void edited();

public:
    // The text a cell shows (also what sorting compares).
    QString CellText(const CTag& tag, int column) const;
    // The live value shown for a tag while online, through its alias when it has one.
    std::string LiveText(const CTag& tag) const;

private:
    struct Node;
    Node* NodeOf(const QModelIndex& index) const;
    // The instance base for live values of this list: the main program's or the
    // selected instance of the function block.
    int InstanceBase() const;
    bool Matches(const CTag& tag) const;
    void BuildTopLevel();
    void RefreshNodes(Node& node, const QModelIndex& parent);
    void RefreshRow(Node& node, const QModelIndex& index);
    bool EditCell(CTag& tag, int column, const std::string& text);

    CMainFrame& frame_;
    TagListSubject subject_;
    std::unique_ptr<Node> root_;
    QString filter_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace pontra::gui
