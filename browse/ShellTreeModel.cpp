#include "ShellTreeModel.h"

#include "ItemIDList.h"
#include "ShellIconSet.h"
#include "ShellTreeView.h"

namespace quillane {

TTreeNode::~TTreeNode() {
    // The children free their own lists as the member vector goes.
    shell::FreeIDList(Data.IDList);
}

TShellTreeModel::TShellTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

TShellTreeModel::~TShellTreeModel() = default;

TTreeNode* TShellTreeModel::NodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return nullptr;
    return static_cast<TTreeNode*>(index.internalPointer());
}

QModelIndex TShellTreeModel::IndexOf(const TTreeNode* node) const {
    if (node == nullptr) return QModelIndex();
    return createIndex(node->Row, 0, const_cast<TTreeNode*>(node));
}

QModelIndex TShellTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return QModelIndex();
    if (!parent.isValid()) return row == 0 && FTop ? IndexOf(FTop.get()) : QModelIndex();
    const TTreeNode* node = NodeOf(parent);
    if (node == nullptr || static_cast<std::size_t>(row) >= node->Children.size()) return QModelIndex();
    return IndexOf(node->Children[static_cast<std::size_t>(row)].get());
}

QModelIndex TShellTreeModel::parent(const QModelIndex& child) const {
    const TTreeNode* node = NodeOf(child);
    return node ? IndexOf(node->Parent) : QModelIndex();
}

int TShellTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return FTop ? 1 : 0;
    if (parent.column() != 0) return 0;
    const TTreeNode* node = NodeOf(parent);
    return node ? static_cast<int>(node->Children.size()) : 0;
}

int TShellTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool TShellTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return FTop != nullptr;
    const TTreeNode* node = NodeOf(parent);
    // The flag, not the child count: a folder not yet listed shows its
    // expand button too.
    return node != nullptr && (node->HasChildren || !node->Children.empty());
}

QVariant TShellTreeModel::data(const QModelIndex& index, int role) const {
    const TTreeNode* node = NodeOf(index);
    if (node == nullptr) return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return node->Text;
    case Qt::DecorationRole:
        return ShellIconImage(FImageList, node == FSelected ? node->SelectedImageIndex : node->ImageIndex);
    case TShellTreeView::FileSysPathRole:
        return QString::fromStdString(node->Data.FileSysPath);
    case TShellTreeView::ImageIndexRole:
        return static_cast<int>(node->ImageIndex);
    case TShellTreeView::SelectedImageIndexRole:
        return static_cast<int>(node->SelectedImageIndex);
    case TShellTreeView::HasChildrenFlagRole:
        return node->HasChildren;
    default:
        return QVariant();
    }
}

Qt::ItemFlags TShellTreeModel::flags(const QModelIndex& index) const {
    const TTreeNode* node = NodeOf(index);
    if (node == nullptr) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // A node without a button never gets children before the next rebuild,
    // so the view neither expands it nor asks about its children.
    if (!node->HasChildren && node->Children.empty()) flags |= Qt::ItemNeverHasChildren;
    return flags;
}

void TShellTreeModel::Clear() {
    beginResetModel();
    FSelected = nullptr;
    FTop.reset();
    FNodeCount = 0;
    endResetModel();
}

void TShellTreeModel::SetTop(std::unique_ptr<TTreeNode> top) {
    if (!top || FTop) return;
    beginInsertRows(QModelIndex(), 0, 0);
    top->Parent = nullptr;
    top->Row = 0;
    FTop = std::move(top);
    FNodeCount = 1;
    endInsertRows();
}

void TShellTreeModel::AdoptChildren(TTreeNode* node, std::vector<std::unique_ptr<TTreeNode>> children) {
    if (node == nullptr || children.empty() || !node->Children.empty()) return;
    for (std::size_t i = 0; i < children.size(); ++i) {
        children[i]->Parent = node;
        children[i]->Row = static_cast<int>(i);
    }
    // One insertion for all of them: the view lays out once.
    beginInsertRows(IndexOf(node), 0, static_cast<int>(children.size()) - 1);
    FNodeCount += children.size();
    node->Children = std::move(children);
    endInsertRows();
}

void TShellTreeModel::SetHasChildren(TTreeNode* node, bool value) {
    if (node == nullptr || node->HasChildren == value) return;
    node->HasChildren = value;
    const QModelIndex index = IndexOf(node);
    emit dataChanged(index, index, {TShellTreeView::HasChildrenFlagRole});
}

void TShellTreeModel::SetSelected(TTreeNode* node) {
    if (node == FSelected) return;
    TTreeNode* previous = FSelected;
    FSelected = node;
    // Both nodes change between their normal and open icons.
    for (TTreeNode* changed : {previous, node}) {
        if (changed == nullptr) continue;
        const QModelIndex index = IndexOf(changed);
        emit dataChanged(index, index, {Qt::DecorationRole});
    }
}

}  // namespace quillane
