#pragma once

// The nodes of the shell folder tree and the item model that owns them: it
// builds the top node, lists a node's children when the view asks
// (canFetchMore / fetchMore) or a search passes through it, and finds nodes
// by item ID list. Whatever may block on a file system runs on the shell's
// worker threads. The window's thread waits for it at most WaitLimit, so a
// local disk answers at once; past that a node shows the child "読み込み中..."
// and fills in when the work ends. Work whose answer is no longer wanted
// (after a rebuild, or when the model goes) is dropped when it ends.

#include "PathSyntax.h"
#include "ShellRoutines.h"
#include "ShellTreeNode.h"

#include <QAbstractItemModel>
#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillane {

/// The item model of the shell folder tree: one column, one top node at most.
class TShellTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    /// Roles besides the caption (DisplayRole) and icon (DecorationRole).
    enum Role {
        FileSysPathRole = Qt::UserRole + 1,  ///< QString: the item's file-system path
        ImageIndexRole,                      ///< int: normal icon index, -1 for none
        SelectedImageIndexRole,              ///< int: open icon index, -1 for none
        HasChildrenFlagRole,                 ///< bool: the expand button shows
    };

    /// Decides whether an enumerated item gets a node. `folder` answers for
    /// the item on the window's thread (see shell::ListedItemFolder).
    using TIncludeFilter = std::function<bool(shell::ShellFolder& folder, shell::PCItemIDList item)>;

    /// An empty model.
    explicit TShellTreeModel(QObject* parent = nullptr);
    /// Deletes every node and drops the work still under way.
    ~TShellTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// Whether the node has an expand button and its children are not yet
    /// listed or being listed.
    bool canFetchMore(const QModelIndex& parent) const override;
    /// Lists the node's children, waiting for the shell at most WaitLimit.
    void fetchMore(const QModelIndex& parent) override;

    /// Sets the filter (none: every item gets a node).
    void SetIncludeFilter(TIncludeFilter filter) { FInclude = std::move(filter); }
    /// Sets where the owner window of the shell's prompts comes from.
    void SetOwnerWindow(std::function<shell::WindowHandle()> owner) { FOwner = std::move(owner); }
    /// How long the window's thread waits for the shell at one go.
    std::chrono::milliseconds WaitLimit() const { return FWaitLimit; }
    void SetWaitLimit(std::chrono::milliseconds limit) { FWaitLimit = limit; }
    /// The end of a wait that starts now.
    Clock::time_point Deadline() const { return Clock::now() + FWaitLimit; }

    /// Deletes every node (the view is told of the reset) and drops the
    /// work under way.
    void Clear();
    /// Clears and builds the top node of `root`, or of the special folder
    /// `special` when `root` is empty. `showFiles` lists files besides
    /// folders; `syntax` cuts the top's caption behind its last separator.
    /// Until the shell answers the top node names what was asked for and
    /// shows the loading row; TopArrived follows.
    void Rebuild(const QString& root, shell::TSpecialFolder special, bool showFiles, TPathSyntax syntax);

    /// Lists `node`'s children unless they are known, being listed, or the
    /// node has no expand button; waits for the shell until `deadline`.
    void List(TTreeNode* node, Clock::time_point deadline);
    /// Lets a node whose folder could not be opened be tried again.
    void ForgetFailure(TTreeNode* node);

    /// The node of the absolute list `target`, or its deepest listed
    /// ancestor, listing each node on the way; null when `target` lies
    /// outside the root. When the way runs into a node whose children are
    /// still on their way (the top node itself, for a null result),
    /// `blocked` receives that node.
    TTreeNode* FindNodeByIDList(shell::PCItemIDList target, Clock::time_point deadline, TTreeNode*& blocked);
    /// The deepest node already listed whose path holds `path`, by the text
    /// of the paths alone; null for none.
    TTreeNode* DeepestNodeOnPath(const QString& path, TPathSyntax syntax) const;
    /// Parses the first of `paths` that names an item and hands its absolute
    /// list (null when none parses) to `answer`: at once when the shell
    /// answers by `deadline`, else later from the event loop, unless the
    /// model is cleared or destroyed first. True when answered at once.
    bool ParseFirstPath(std::vector<std::string> paths, Clock::time_point deadline,
                        std::function<void(shell::IDListPtr)> answer);

    /// The top node; null before the first Rebuild and after Clear.
    TTreeNode* Top() const { return FTop.get(); }
    /// The node of `index`; null for an invalid index.
    TTreeNode* NodeOf(const QModelIndex& index) const;
    /// The index of `node`; invalid for null.
    QModelIndex IndexOf(const TTreeNode* node) const;

    /// The node that shows its open icon; null for none.
    TTreeNode* Selected() const { return FSelected; }
    /// Marks the selected node (its icon becomes the open one).
    void SetSelected(TTreeNode* node);

    /// Number of nodes (loading rows not counted).
    std::size_t NodeCount() const { return FNodeCount; }

signals:
    /// A listing of `index` has ended: its children are there, or it found
    /// none and the node lost its button, or it failed (state Failed) or an
    /// exception ended it (state Unlisted) and the node keeps its button.
    void Listed(const QModelIndex& index);
    /// The top node's record came after the wait.
    void TopArrived();

private:
    struct TMailbox;
    struct TListJob;
    struct TRootJob;

    bool Submit(const shell::ShellContext& context, std::function<void()> work, std::function<void()> answer,
                Clock::time_point deadline);
    void Deliver(std::uint64_t request);
    shell::WindowHandle Owner() const { return FOwner ? FOwner() : 0; }
    void SetTop(TRootJob& job);
    void AdoptListing(TTreeNode* node, TListJob& job);
    void ShowLoading(TTreeNode* node);
    void DropLoading(TTreeNode* node);
    void AdoptChildren(TTreeNode* node, std::vector<std::unique_ptr<TTreeNode>> children);
    void SetHasChildren(TTreeNode* node, bool value);

    std::unique_ptr<TTreeNode> FTop;
    TTreeNode* FSelected = nullptr;
    shell::ImageListHandle FImageList = 0;
    std::size_t FNodeCount = 0;
    bool FShowFiles = false;
    TIncludeFilter FInclude;
    std::function<shell::WindowHandle()> FOwner;
    std::chrono::milliseconds FWaitLimit;
    std::shared_ptr<TMailbox> FMailbox;
    std::map<std::uint64_t, std::function<void()>> FPending;
    std::uint64_t FNextRequest = 0;
};

}  // namespace quillane
