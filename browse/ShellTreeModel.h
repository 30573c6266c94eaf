#pragma once

// The nodes of the shell folder tree and the item model that shows them.
// Internal to the folder tree: TShellTreeView builds and changes the nodes,
// the model only stores them and answers the view.

#include "ShellNamespace.h"

#include <QAbstractItemModel>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillane {

/// The shell record of one node.
struct TNodeData {
    /// The node's item ID list, owned: absolute for the top node, the one
    /// item its parent's enumeration handed out for every other node.
    shell::PItemIDList IDList = nullptr;
    /// Byte size of IDList with its terminator; 0 when IDList is null.
    std::int32_t IDListSize = 0;
    /// SFGAO_FOLDER | SFGAO_FILESYSTEM as the shell answered; 0 on failure.
    std::uint32_t Attributes = 0;
    /// File-system path (UTF-8); empty for items without one.
    std::string FileSysPath;
};

/// One node of the tree. Deleting it deletes its children and frees every
/// item ID list among them.
struct TTreeNode {
    TNodeData Data;
    QString Text;
    TTreeNode* Parent = nullptr;
    std::vector<std::unique_ptr<TTreeNode>> Children;
    int Row = 0;
    std::int16_t ImageIndex = -1;
    std::int16_t SelectedImageIndex = -1;
    /// Shows the expand button, also before any child exists.
    bool HasChildren = false;

    TTreeNode() = default;
    ~TTreeNode();
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;
};

/// The item model over the nodes: one column, one top node at most.
class TShellTreeModel : public QAbstractItemModel {
public:
    /// An empty model.
    explicit TShellTreeModel(QObject* parent = nullptr);
    /// Deletes every node.
    ~TShellTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /// The top node; null before the first SetTop and after Clear.
    TTreeNode* Top() const { return FTop.get(); }
    /// The node of `index`; null for an invalid index.
    TTreeNode* NodeOf(const QModelIndex& index) const;
    /// The index of `node`; invalid for null.
    QModelIndex IndexOf(const TTreeNode* node) const;

    /// Deletes every node (the view is told of the reset).
    void Clear();
    /// Adds the top node; the model must be empty.
    void SetTop(std::unique_ptr<TTreeNode> top);
    /// Adds `children` (already in their order) below `node`, which has
    /// none yet.
    void AdoptChildren(TTreeNode* node, std::vector<std::unique_ptr<TTreeNode>> children);
    /// Changes a node's expand button flag.
    void SetHasChildren(TTreeNode* node, bool value);

    /// The node that shows its open icon; null for none.
    TTreeNode* Selected() const { return FSelected; }
    /// Marks the selected node (its icon becomes the open one).
    void SetSelected(TTreeNode* node);

    /// The shell's icon list the icon indexes point into.
    void SetImageList(shell::ImageListHandle list) { FImageList = list; }
    shell::ImageListHandle ImageList() const { return FImageList; }

    /// Number of nodes.
    std::size_t NodeCount() const { return FNodeCount; }

private:
    std::unique_ptr<TTreeNode> FTop;
    TTreeNode* FSelected = nullptr;
    shell::ImageListHandle FImageList = 0;
    std::size_t FNodeCount = 0;
};

}  // namespace quillane
