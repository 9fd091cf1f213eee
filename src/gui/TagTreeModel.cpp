// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TagTreeModel.h"

#include <QColor>
#include <QFont>
#include <QMimeData>
#include <algorithm>

#include "gui/QtText.h"
#include "gui/TypedText.h"
#include "model/Types.h"
#include "model/ValueStyle.h"
#include "online/OnlineSession.h"
#include "online/OperandLookup.h"
#include "online/TrendBuffer.h"
#include "shell/MainFrame.h"
#include "shell/TagValueEdits.h"

namespace pontra::gui {

struct TagTreeModel::Node {
    CTag* tag = nullptr;  // null: the root, or the new-tag row
    Node* parent = nullptr;
    int row = 0;
    bool declared = false;  // a declaration of the list or a member below one
    bool fetched = false;
    std::string shownValue;  // the last live value text handed to the view
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

const char* const kHeaders[] = {"Tag Name", "Alias For", "Base Tag",    "Data Type",         "Init Value",
                                "Style",    "Description", "Control Type", "Control Properties"};

bool IsBitOfInteger(const CTag& tag, const CTag* parent) {
    return parent && tag.dataType == "BOOL" && IsElementary(parent->dataType);
}

}  // namespace

TagTreeModel::TagTreeModel(CMainFrame& frame, TagListSubject subject, QObject* parent)
    : QAbstractItemModel(parent), frame_(frame), subject_(subject), root_(std::make_unique<Node>()) {
    BuildTopLevel();
}

TagTreeModel::~TagTreeModel() = default;

void TagTreeModel::BuildTopLevel() {
    root_->children.clear();
    CProject& project = frame_.project();
    TagList* own = EditedTags(project, subject_);
    // The list's own tags, then the new-tag row, then (main program) the controller
    // tags: each group filtered and sorted on its own, so the row to type a new tag
    // into stays where the own tags end.
    const auto group = [&](TagList& list) {
        std::vector<CTag*> tags;
        for (auto& t : list)
            if (Matches(*t)) tags.push_back(t.get());
        if (sortColumn_ < 0) return tags;
        std::vector<std::pair<QString, CTag*>> keys;
        keys.reserve(tags.size());
        for (CTag* t : tags) keys.emplace_back(CellText(*t, sortColumn_), t);
        std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
            const int c = QString::compare(a.first, b.first, Qt::CaseInsensitive);
            return sortOrder_ == Qt::AscendingOrder ? c < 0 : c > 0;
        });
        for (size_t i = 0; i < keys.size(); ++i) tags[i] = keys[i].second;
        return tags;
    };
    const auto append = [&](CTag* tag, bool declared) {
        auto node = std::make_unique<Node>();
        node->tag = tag;
        node->parent = root_.get();
        node->row = static_cast<int>(root_->children.size());
        node->declared = declared;
        root_->children.push_back(std::move(node));
    };
    if (own) {
        for (CTag* t : group(*own)) append(t, true);
        append(nullptr, false);
    }
    if (subject_.kind == TagListSubject::Kind::MainProgram)
        for (CTag* t : group(project.doc.controllerTags)) append(t, false);
}

bool TagTreeModel::Matches(const CTag& tag) const {
    if (filter_.isEmpty()) return true;
    return ToQString(tag.name).contains(filter_, Qt::CaseInsensitive) ||
           ToQString(tag.dataType).contains(filter_, Qt::CaseInsensitive) ||
           ToQString(tag.description).contains(filter_, Qt::CaseInsensitive);
}

void TagTreeModel::Reload() {
    beginResetModel();
    BuildTopLevel();
    endResetModel();
}

void TagTreeModel::SetFilter(const QString& text) {
    if (text == filter_) return;
    filter_ = text;
    Reload();
}

void TagTreeModel::sort(int column, Qt::SortOrder order) {
    sortColumn_ = column;
    sortOrder_ = order;
    // Expanded rows would keep stale parents: a sort starts from collapsed rows.
    Reload();
}

TagTreeModel::Node* TagTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

CTag* TagTreeModel::TagAt(const QModelIndex& index) const { return index.isValid() ? NodeOf(index)->tag : nullptr; }

bool TagTreeModel::IsNewTagRow(const QModelIndex& index) const {
    return index.isValid() && NodeOf(index)->tag == nullptr;
}

bool TagTreeModel::IsDeclared(const QModelIndex& index) const {
    if (!index.isValid()) return false;
    const Node* node = NodeOf(index);
    return node->tag && node->declared && node->parent == root_.get();
}

QModelIndex TagTreeModel::IndexOf(const CTag* tag, int column) const {
    for (const auto& node : root_->children)
        if (node->tag == tag) return createIndex(node->row, column, node.get());
    return {};
}

int TagTreeModel::columnCount(const QModelIndex&) const { return kColumnCount; }

int TagTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    return static_cast<int>(NodeOf(parent)->children.size());
}

QModelIndex TagTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = NodeOf(parent);
    if (row < 0 || column < 0 || column >= kColumnCount || row >= static_cast<int>(node->children.size()))
        return {};
    return createIndex(row, column, node->children[static_cast<size_t>(row)].get());
}

QModelIndex TagTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    Node* parent = NodeOf(child)->parent;
    if (!parent || parent == root_.get()) return {};
    return createIndex(parent->row, 0, parent);
}

bool TagTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return true;
    if (parent.column() != 0) return false;
    const Node* node = NodeOf(parent);
    return node->tag && !node->tag->members.empty();
}

bool TagTreeModel::canFetchMore(const QModelIndex& parent) const {
    if (!parent.isValid()) return false;
    const Node* node = NodeOf(parent);
    return node->tag && !node->fetched && !node->tag->members.empty();
}

void TagTreeModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    Node* node = NodeOf(parent);
    node->fetched = true;
    const auto& members = node->tag->members;
    beginInsertRows(parent.siblingAtColumn(0), 0, static_cast<int>(members.size()) - 1);
    node->children.reserve(members.size());
    for (const auto& member : members) {
        auto child = std::make_unique<Node>();
        child->tag = member.get();
        child->parent = node;
        child->row = static_cast<int>(node->children.size());
        child->declared = node->declared;
        node->children.push_back(std::move(child));
    }
    endInsertRows();
}

int TagTreeModel::InstanceBase() const {
    return frame_.online().InstanceBase(subject_.kind == TagListSubject::Kind::FunctionBlock ? subject_.unit : nullptr);
}

std::string TagTreeModel::LiveText(const CTag& tag) const {
    // An alias shows the live value of the tag or bit it stands for.
    if (!tag.alias.empty()) {
        CUnit* unit = subject_.kind == TagListSubject::Kind::FunctionBlock ? subject_.unit : nullptr;
        return OperandLookup(frame_, unit).LiveText(tag.name);
    }
    return frame_.online().ValueText(tag, InstanceBase());
}

QString TagTreeModel::CellText(const CTag& tag, int column) const {
    switch (column) {
    case kName: return ToQString(tag.name);  // members: see data(), which shortens them
    case kAlias: return ToQString(tag.alias);
    case kBaseTag: return ToQString(tag.baseTag);
    case kDataType: return ToQString(tag.dataType);
    case kValue:
        if (frame_.online().Debugging()) return ToQString(LiveText(tag));
        if (StyleWidth(tag.dataType) > 0 && tag.alias.empty()) return ToQString(FormatValue(tag, tag.initialValue));
        return {};
    case kStyle: return StylesFor(tag.dataType).empty() || !tag.alias.empty() ? QString() : ToQString(tag.style);
    case kDescription: return ToQString(tag.description);
    case kControlType: return IsConfigurationList(frame_.project(), subject_) ? ToQString(ControlTypeName(tag.configMode)) : QString();
    case kControlProperties: {
        QStringList parts;
        if (tag.configMode == kConfigRange || tag.configMode == kConfigChoice)
            for (size_t i = 0; i < tag.choiceTexts.size() && i < tag.choiceValues.size(); ++i)
                parts << ToQString(tag.choiceTexts[i]) + " = " +
                             QString::number(static_cast<int32_t>(tag.choiceValues[i]));
        if (tag.connectionKind == kConnProduced || tag.connectionKind == kConnConsumed) {
            const uint32_t w = tag.connectionWord;
            parts << QStringLiteral("%1 %2.%3.%4.%5, register %6")
                         .arg(tag.connectionKind == kConnProduced ? "Produced" : "Consumed")
                         .arg(w >> 24).arg((w >> 16) & 0xFF).arg((w >> 8) & 0xFF).arg(w & 0xFF)
                         .arg(tag.connectionParam);
        } else if (tag.connectionKind == kConnNotUsed) {
            parts << "Not Used";
        }
        return parts.join(", ");
    }
    default: return {};
    }
}

QVariant TagTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Node* node = NodeOf(index);
    if (!node->tag) {
        if (role == Qt::DisplayRole && index.column() == kName) return QStringLiteral("(new tag)");
        if (role == Qt::ForegroundRole) return QColor(Qt::gray);
        return {};
    }
    const CTag& tag = *node->tag;
    switch (role) {
    case Qt::DisplayRole:
        // A member row shows what it adds to its parent's name ("PRE", "[2]", "3"); the
        // full name is its tooltip.
        if (index.column() == kName && node->parent != root_.get() && node->parent->tag) {
            const std::string& parentName = node->parent->tag->name;
            std::string_view name = tag.name;
            if (name.starts_with(parentName)) name.remove_prefix(parentName.size());
            if (name.starts_with('.')) name.remove_prefix(1);
            return ToQString(name);
        }
        return CellText(tag, index.column());
    case Qt::EditRole: return CellText(tag, index.column());
    case Qt::ForegroundRole:
        // Controller tags and members are shown, not edited here.
        if (!node->declared && index.column() == kName) return QColor(Qt::darkBlue);
        return {};
    case Qt::FontRole:
        if (index.column() == kName && node->parent == root_.get() && tag.nonVolatile) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole:
        if (index.column() != kName) return {};
        return ToQString(tag.name) + (tag.nonVolatile ? QStringLiteral(" (Non-volatile)") : QString());
    default: return {};
    }
}

Qt::ItemFlags TagTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const Node* node = NodeOf(index);
    const bool debugging = frame_.debugMode != 0;
    if (!node->tag) return index.column() == kName && !debugging ? f | Qt::ItemIsEditable : f;
    const CTag& tag = *node->tag;
    const bool top = node->parent == root_.get();
    bool editable = false;
    switch (index.column()) {
    case kName:
    case kDataType:
    case kDescription: editable = node->declared && top; break;
    case kValue: {
        const CTag* parentTag = node->parent ? node->parent->tag : nullptr;
        editable = node->declared && StyleWidth(tag.dataType) > 0 && tag.alias.empty() &&
                   !IsBitOfInteger(tag, parentTag);
        break;
    }
    case kStyle: editable = node->declared && tag.alias.empty() && !StylesFor(tag.dataType).empty(); break;
    case kControlType: editable = node->declared && top && IsConfigurationList(frame_.project(), subject_); break;
    default: break;
    }
    // Online the value cells belong to Write Tag, the rest is refused by the rules anyway.
    if (editable && !debugging) f |= Qt::ItemIsEditable;
    if (subject_.kind == TagListSubject::Kind::MainProgram && TrendName(frame_.project(), nullptr, tag.name))
        f |= Qt::ItemIsDragEnabled;
    return f;
}

QVariant TagTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    if (section == kValue) return ToQString(frame_.online().ValueColumnTitle());
    return QString::fromLatin1(kHeaders[section]);
}

bool TagTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const QString qtext = value.toString();
    const auto text = TypedText(frame_.host(), qtext);
    if (!text) return false;
    Node* node = NodeOf(index);
    if (!node->tag) {
        if (text->empty()) return false;  // leaving the new-tag row empty is no edit
        NewTagRequest request;
        request.name = *text;
        request.dataType = kNewTagType;
        if (!CreateTag(frame_, subject_, request)) return false;
        Reload();
        Q_EMIT edited();
        return true;
    }
    CTag& tag = *node->tag;
    if (CellText(tag, index.column()) == qtext) return false;
    // A new name or type rebuilds the members: their rows go before the old members do,
    // so that no view asks about a member that no longer exists.
    if (index.column() == kName || index.column() == kDataType) RefreshRow(*node, index);
    if (!EditCell(tag, index.column(), *text)) return false;
    if (index.column() == kDescription) Q_EMIT dataChanged(index, index);
    else RefreshRow(*node, index);
    Q_EMIT edited();
    return true;
}

void TagTreeModel::RefreshRow(Node& node, const QModelIndex& index) {
    // A new type or style gives new members: they are fetched again when expanded.
    const QModelIndex first = index.siblingAtColumn(0);
    if (!node.children.empty()) {
        beginRemoveRows(first, 0, static_cast<int>(node.children.size()) - 1);
        node.children.clear();
        endRemoveRows();
    }
    node.fetched = false;
    Q_EMIT dataChanged(first, index.siblingAtColumn(kColumnCount - 1));
}

bool TagTreeModel::EditCell(CTag& tag, int column, const std::string& text) {
    switch (column) {
    case kName: return EditTagName(frame_, subject_, tag, text);
    case kDataType: return EditTagDataType(frame_, subject_, tag, text);
    case kDescription: return EditTagDescription(frame_, subject_, tag, text);
    case kValue: return EditInitialValue(frame_, tag, text);
    case kStyle: return EditTagStyle(frame_, tag, text);
    case kControlType:
        for (int mode = 0; mode <= 3; ++mode)
            if (ControlTypeName(mode) == text) return EditControlType(frame_, subject_, tag, mode);
        return false;
    default: return false;
    }
}

void TagTreeModel::RefreshNodes(Node& node, const QModelIndex& parent) {
    for (auto& child : node.children) {
        if (!child->tag) continue;
        std::string text = LiveText(*child->tag);
        if (text != child->shownValue) {
            child->shownValue = std::move(text);
            const QModelIndex cell = index(child->row, kValue, parent);
            Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole});
        }
        if (child->fetched) RefreshNodes(*child, index(child->row, 0, parent));
    }
}

void TagTreeModel::RefreshLiveValues() {
    if (!frame_.online().Debugging()) return;
    RefreshNodes(*root_, {});
}

void TagTreeModel::DebugModeChanged() {
    Q_EMIT headerDataChanged(Qt::Horizontal, kValue, kValue);
    for (auto& child : root_->children) child->shownValue.clear();
    Reload();
}

QStringList TagTreeModel::mimeTypes() const {
    return {QStringLiteral("text/plain")};
}

QMimeData* TagTreeModel::mimeData(const QModelIndexList& indexes) const {
    if (subject_.kind != TagListSubject::Kind::MainProgram) return nullptr;
    QStringList names;
    for (const QModelIndex& index : indexes) {
        const CTag* tag = TagAt(index);
        if (!tag || !TrendName(frame_.project(), nullptr, tag->name)) continue;
        const QString name = ToQString(tag->name);
        if (!names.contains(name)) names << name;
    }
    if (names.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setText(names.join(QLatin1Char('\n')));
    return data;
}

}  // namespace pontra::gui
