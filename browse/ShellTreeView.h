#pragma once

// A tree of the shell namespace below one root item: the folders (and, on
// request, the files) of the file system and the virtual folders that hold
// them. Children are listed the first time a node expands or a path search
// passes through it; siblings are ordered folders first, then by path. The
// model (TShellTreeModel) does the listing off the window's thread, so a
// slow or hung file system never stops the window.

#include "PathSyntax.h"
#include "ShellRoutines.h"
#include "ShellTreeModel.h"

#include <QString>
#include <QTreeView>

#include <cstddef>
#include <functional>
#include <memory>

namespace quillane {

class TShellTreeView;

/// A notification whose only argument is the tree that sends it.
using TTreeNotifyEvent = std::function<void(TShellTreeView*)>;

/// The shell folder tree.
class TShellTreeView : public QTreeView {
    Q_OBJECT
    Q_PROPERTY(QString Root READ Root WRITE SetRoot)
    Q_PROPERTY(quillane::shell::TSpecialFolder SpecialRoot READ SpecialRoot WRITE SetSpecialRoot)
    Q_PROPERTY(bool ShowFiles READ ShowFiles WRITE SetShowFiles)
    Q_PROPERTY(bool ShowRoot READ ShowRoot WRITE SetShowRoot)

public:
    /// An empty tree: no node, nothing asked of the shell until Reload runs.
    /// ShowRoot is off.
    explicit TShellTreeView(QWidget* parent = nullptr);
    /// Deletes every node and so frees every record and item ID list.
    ~TShellTreeView() override;

    TShellTreeView(const TShellTreeView&) = delete;
    TShellTreeView& operator=(const TShellTreeView&) = delete;

    /// The root folder's path; empty to use SpecialRoot.
    QString Root() const { return FRoot; }
    /// Stores a different root (exact comparison, letter case included) and
    /// rebuilds; the current value changes nothing.
    void SetRoot(const QString& value);
    /// Stores the root without rebuilding.
    void StoreRoot(const QString& value) { FRoot = value; }

    /// The special folder shown when Root is empty (sfDesktop at first).
    shell::TSpecialFolder SpecialRoot() const { return FSpecialRoot; }
    /// Stores a different special folder and rebuilds.
    void SetSpecialRoot(shell::TSpecialFolder value);
    /// Stores the special folder without rebuilding.
    void StoreSpecialRoot(shell::TSpecialFolder value) { FSpecialRoot = value; }

    /// Whether files are listed besides folders (off at first).
    bool ShowFiles() const { return FShowFiles; }
    /// Stores a different value and rebuilds.
    void SetShowFiles(bool value);
    /// Stores the value without rebuilding.
    void StoreShowFiles(bool value) { FShowFiles = value; }

    /// Whether the top level draws lines and expand buttons.
    bool ShowRoot() const { return rootIsDecorated(); }
    /// Sets the top level's lines and buttons.
    void SetShowRoot(bool value) { setRootIsDecorated(value); }

    /// The syntax SelectByPath uses to find parent directories (this
    /// system's at first).
    TPathSyntax PathSyntax() const { return FPathSyntax; }
    /// Sets the syntax of the paths given to SelectByPath.
    void SetPathSyntax(TPathSyntax value) { FPathSyntax = value; }

    /// Called at once after every change of the selected node, whatever
    /// caused it; unassigned at first.
    TTreeNotifyEvent OnChange;

    /// Deletes all nodes and builds the root node, expanded with its
    /// children listed when it has any (as they come, when the shell does
    /// not answer within the wait). While loading, waits for EndLoad.
    void Reload();

    /// Selects the node of `path`, or of its nearest listed ancestor, and
    /// expands it. A path that does not exist is replaced by its nearest
    /// existing parent directory; a path outside the root changes nothing.
    /// The empty text stands for the desktop. When the shell does not answer
    /// within the wait, the deepest node already known on the way is
    /// selected and the search goes on as the answers come, unless the
    /// selection moves meanwhile or another search or a Reload starts.
    void SelectByPath(const QString& path);
    /// Whether a SelectByPath still waits for the shell.
    bool IsSelectingPath() const { return FSearch != nullptr; }

    /// File-system path of the selected node; empty when none is selected
    /// or the item has none.
    QString GetSelectedPath() const;
    /// Caption of the selected node; empty when none is selected.
    QString GetSelectedText() const;

    /// Starts loading stored values: Reload waits until loading ends.
    void BeginLoad() { ++FLoading; }
    /// Ends loading; the outermost end rebuilds the tree once.
    void EndLoad();
    /// Whether stored values are being loaded.
    bool IsLoading() const { return FLoading > 0; }

    /// The index of the top node; invalid before the first Reload.
    QModelIndex TopIndex() const;
    /// The index of the selected node; invalid when none is selected.
    QModelIndex SelectedIndex() const;
    /// Number of nodes in the tree.
    std::size_t NodeCount() const;
    /// The model, which owns the nodes and the listing.
    TShellTreeModel* ShellModel() const { return FModel; }

protected:
    /// Whether an enumerated item gets a node: virtual items that hold
    /// file-system items always, file-system folders always, file-system
    /// files only with ShowFiles. `item` is the one-item list just fetched
    /// from the folder; `folder` answers on the window's thread for that
    /// item's attributes and in-folder name, which the listing gathered.
    virtual bool IncludeItem(shell::ShellFolder& folder, shell::PCItemIDList item);

    /// Raises OnChange; called after every change of the selected node.
    virtual void DoChange();

    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    struct TPathSearch;

    void NodeExpanded(const QModelIndex& index);
    void NodeCollapsed(const QModelIndex& index);
    void NodeListed(const QModelIndex& index);
    void TopArrived();
    void ExpandTop();
    void PathParsed(const std::shared_ptr<TPathSearch>& search, shell::IDListPtr list);
    void ContinueSearch(const std::shared_ptr<TPathSearch>& search, TShellTreeModel::Clock::time_point deadline);
    void SelectNode(TTreeNode* node);
    void SyncSelection();
    shell::WindowHandle OwnerWindow() const;

    QString FRoot;
    shell::TSpecialFolder FSpecialRoot = shell::sfDesktop;
    bool FShowFiles = false;
    TPathSyntax FPathSyntax;
    int FLoading = 0;
    TShellTreeModel* FModel = nullptr;
    std::shared_ptr<TPathSearch> FSearch;
};

}  // namespace quillane
