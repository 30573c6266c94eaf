#include "ShellTreeView.h"

#include <QKeyEvent>

#include <string>
#include <utility>
#include <vector>

namespace quillane {

using namespace shell;

// A SelectByPath that waits for the shell.
struct TShellTreeView::TPathSearch {
    QString path;
    // The parsed list; null until the parse answers.
    IDListPtr target;
    // The node whose children the search waits for.
    TTreeNode* blocked = nullptr;
    // The selection the search left; another one means the user moved it.
    TTreeNode* expected = nullptr;
    // The end of the wait of the SelectByPath call itself.
    TShellTreeModel::Clock::time_point deadline;
    bool insideCall = true;
};

TShellTreeView::TShellTreeView(QWidget* parent) : QTreeView(parent), FPathSyntax(NativePathSyntax()) {
    FModel = new TShellTreeModel(this);
    FModel->SetIncludeFilter([this](ShellFolder& folder, PCItemIDList item) { return IncludeItem(folder, item); });
    FModel->SetOwnerWindow([this] { return OwnerWindow(); });
    setModel(FModel);
    setHeaderHidden(true);
    // Every row has the same height: the view need not measure 20,000
    // children to lay them out.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRootIsDecorated(false);
    connect(this, &QTreeView::expanded, this, &TShellTreeView::NodeExpanded);
    connect(this, &QTreeView::collapsed, this, &TShellTreeView::NodeCollapsed);
    connect(FModel, &TShellTreeModel::Listed, this, &TShellTreeView::NodeListed);
    connect(FModel, &TShellTreeModel::TopArrived, this, &TShellTreeView::TopArrived);
}

TShellTreeView::~TShellTreeView() {
    // Nodes go while the view still watches the model and the shell unit
    // still runs, so every list is given back to the shell's allocator.
    FModel->Clear();
}

void TShellTreeView::SetRoot(const QString& value) {
    if (value == FRoot) return;
    FRoot = value;
    Reload();
}

void TShellTreeView::SetSpecialRoot(TSpecialFolder value) {
    if (value == FSpecialRoot) return;
    FSpecialRoot = value;
    Reload();
}

void TShellTreeView::SetShowFiles(bool value) {
    if (value == FShowFiles) return;
    FShowFiles = value;
    Reload();
}

void TShellTreeView::EndLoad() {
    if (FLoading == 0) return;
    if (--FLoading == 0) Reload();
}

QModelIndex TShellTreeView::TopIndex() const {
    return FModel->IndexOf(FModel->Top());
}

QModelIndex TShellTreeView::SelectedIndex() const {
    return FModel->IndexOf(FModel->Selected());
}

std::size_t TShellTreeView::NodeCount() const {
    return FModel->NodeCount();
}

QString TShellTreeView::GetSelectedPath() const {
    const TTreeNode* node = FModel->Selected();
    return node ? QString::fromStdString(node->Data.FileSysPath) : QString();
}

QString TShellTreeView::GetSelectedText() const {
    const TTreeNode* node = FModel->Selected();
    return node ? node->Text : QString();
}

WindowHandle TShellTreeView::OwnerWindow() const {
    // Only a window that exists already can own a prompt; asking for one
    // here must not create it.
    return static_cast<WindowHandle>(window()->internalWinId());
}

void TShellTreeView::Reload() {
    if (FLoading > 0) return;

    FSearch.reset();
    const bool hadSelection = FModel->Selected() != nullptr;
    FModel->Clear();
    if (hadSelection) DoChange();
    FModel->Rebuild(FRoot, FSpecialRoot, FShowFiles, FPathSyntax);
    ExpandTop();
}

void TShellTreeView::ExpandTop() {
    const TTreeNode* top = FModel->Top();
    // Expanding lists the root's children at once.
    if (top != nullptr && top->HasChildren) expand(TopIndex());
}

void TShellTreeView::TopArrived() {
    // The top node showed its loading row; now it is listed as usual.
    ExpandTop();
    if (FModel->canFetchMore(TopIndex())) FModel->fetchMore(TopIndex());
    if (FSearch && FSearch->blocked == FModel->Top()) ContinueSearch(FSearch, FModel->Deadline());
}

bool TShellTreeView::IncludeItem(ShellFolder& folder, PCItemIDList item) {
    const std::uint32_t attributes =
        GetItemAttributes(folder, item, SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM);
    if (attributes & SFGAO_FILESYSANCESTOR) return true;
    return (attributes & SFGAO_FILESYSTEM) && ((attributes & SFGAO_FOLDER) || FShowFiles);
}

void TShellTreeView::NodeExpanded(const QModelIndex& index) {
    // The view asks the model itself when it lays the node out at once; a
    // node expanded out of sight is listed here.
    if (isExpanded(index) && FModel->canFetchMore(index)) FModel->fetchMore(index);
}

void TShellTreeView::NodeListed(const QModelIndex& index) {
    TTreeNode* node = FModel->NodeOf(index);
    if (node == nullptr) return;
    if (node->Children.empty() && node->Parent != nullptr) {
        // Nothing came: the node folds up, so that the next click on a
        // button it kept tries once more.
        collapse(index);
        FModel->ForgetFailure(node);
        // The view keeps its own copy of the button state; a lost button
        // needs a new layout.
        scheduleDelayedItemsLayout();
    }
    if (FSearch && FSearch->blocked == node) ContinueSearch(FSearch, FModel->Deadline());
}

void TShellTreeView::NodeCollapsed(const QModelIndex& index) {
    TTreeNode* node = FModel->NodeOf(index);
    if (node == nullptr) return;
    // The top node never folds, whichever way it was asked to.
    if (node->Parent == nullptr) {
        expand(index);
        return;
    }
    // A selection hidden inside a folded node moves to that node, so that
    // what is selected can always be seen.
    for (const TTreeNode* n = FModel->Selected(); n != nullptr; n = n->Parent) {
        if (n->Parent == node) {
            SelectNode(node);
            return;
        }
    }
}

void TShellTreeView::SelectByPath(const QString& path) {
    // A new search replaces one still waiting.
    FSearch.reset();
    // The path, then each parent directory, until one names an item.
    std::vector<std::string> candidates;
    for (QString p = path;;) {
        candidates.push_back(p.toStdString());
        const QString previous = p;
        p = ParentDirectory(p, FPathSyntax);
        if (p.isEmpty() || p == previous) break;
    }
    auto search = std::make_shared<TPathSearch>();
    search->path = path;
    search->expected = FModel->Selected();
    search->deadline = FModel->Deadline();
    FSearch = search;
    const bool answered =
        FModel->ParseFirstPath(std::move(candidates), search->deadline,
                               [this, search](IDListPtr list) { PathParsed(search, std::move(list)); });
    search->insideCall = false;
    if (answered || FSearch != search) return;
    // Until the path is known, the deepest node known to hold it by name.
    if (TTreeNode* node = FModel->DeepestNodeOnPath(path, FPathSyntax)) SelectNode(node);
    search->expected = FModel->Selected();
}

void TShellTreeView::PathParsed(const std::shared_ptr<TPathSearch>& search, IDListPtr list) {
    if (FSearch != search) return;
    if (!list) {
        // Nothing on the way parses: the selection stays.
        FSearch.reset();
        return;
    }
    search->target = std::move(list);
    ContinueSearch(search, search->insideCall ? search->deadline : FModel->Deadline());
}

void TShellTreeView::ContinueSearch(const std::shared_ptr<TPathSearch>& search,
                                    TShellTreeModel::Clock::time_point deadline) {
    if (FModel->Selected() != search->expected) {
        // The user has moved on.
        FSearch.reset();
        return;
    }
    search->blocked = nullptr;
    try {
        TTreeNode* blocked = nullptr;
        TTreeNode* node = FModel->FindNodeByIDList(search->target.get(), deadline, blocked);
        if (FSearch != search) return;
        if (blocked != nullptr) {
            search->blocked = blocked;
            // The rest of the way is still coming: show how far it got.
            if (node != nullptr) {
                expand(FModel->IndexOf(node));
                SelectNode(node);
            }
            search->expected = FModel->Selected();
            return;
        }
        FSearch.reset();
        // Outside the root: nothing changes.
        if (node == nullptr) return;
        if (node->HasChildren) expand(FModel->IndexOf(node));
        SelectNode(node);
    } catch (...) {
        // An exception from a listing or a handler ends the search too.
        if (FSearch == search) FSearch.reset();
        throw;
    }
}

void TShellTreeView::SelectNode(TTreeNode* node) {
    if (node == nullptr) return;
    for (TTreeNode* n = node->Parent; n != nullptr; n = n->Parent) expand(FModel->IndexOf(n));
    const QModelIndex index = FModel->IndexOf(node);
    // Selecting makes it current as well; the selection change raises
    // OnChange.
    setCurrentIndex(index);
    scrollTo(index);
}

QItemSelectionModel::SelectionFlags TShellTreeView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTreeView::selectionCommand(index, event);
    // One node stays selected: a control-click does not take it away.
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) return QItemSelectionModel::NoUpdate;
    return command;
}

void TShellTreeView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    SyncSelection();
}

void TShellTreeView::SyncSelection() {
    TTreeNode* now = nullptr;
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (!rows.isEmpty()) now = FModel->NodeOf(rows.first());
    if (now == FModel->Selected()) return;
    FModel->SetSelected(now);
    DoChange();
}

void TShellTreeView::DoChange() {
    if (OnChange) OnChange(this);
}

void TShellTreeView::keyPressEvent(QKeyEvent* event) {
    // "*" would open every folder below, enumerating a whole disk: here it
    // opens the current node only.
    if (event->key() == Qt::Key_Asterisk) {
        const QModelIndex current = currentIndex();
        if (current.isValid()) expand(current);
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace quillane
