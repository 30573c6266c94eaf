#include "ShellTreeView.h"

#include "FileNameOrder.h"
#include "ShellIcons.h"
#include "ShellTreeModel.h"

#include <QApplication>
#include <QCollator>
#include <QKeyEvent>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace quillane {

using namespace shell;

namespace {

// The caption of a top node whose special folder cannot be located ("not
// found"); a root path that does not parse shows the path itself.
const char16_t* const MissingRootCaption = u"(見つかりません)";

// Shows the busy cursor for its lifetime, so that every way out of an
// enumeration, an exception included, puts the previous cursor back.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

bool IsFolderNode(const TTreeNode& node) {
    return (node.Data.Attributes & SFGAO_FOLDER) != 0;
}

// Siblings: folders first, then the file-system paths lower-cased the
// file-name way in the user's collation; the captions play no part. Items
// without a path sort ahead; equal ones keep their enumeration order. Sort
// keys are made once per node, not once per comparison.
void SortSiblings(std::vector<std::unique_ptr<TTreeNode>>& nodes) {
    if (nodes.size() < 2) return;
    const QCollator collator;
    const bool asciiOnly = FileNamesLowerAsciiOnly();
    struct Entry {
        bool folder;
        QCollatorSortKey key;
        std::unique_ptr<TTreeNode> node;
    };
    std::vector<Entry> entries;
    entries.reserve(nodes.size());
    for (auto& node : nodes) {
        const QString lower = FileNameLower(QString::fromStdString(node->Data.FileSysPath), asciiOnly);
        entries.push_back(Entry{IsFolderNode(*node), collator.sortKey(lower), std::move(node)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.folder != b.folder) return a.folder;
        return a.key.compare(b.key) < 0;
    });
    for (std::size_t i = 0; i < entries.size(); ++i) nodes[i] = std::move(entries[i].node);
}

}  // namespace

// What one enumeration of a folder has learnt, shared by its children.
struct TShellTreeView::TPopulateState {
    bool containerKnown = false;
    bool containerListable = false;
};

TShellTreeView::TShellTreeView(QWidget* parent) : QTreeView(parent), FPathSyntax(NativePathSyntax()) {
    FModel = new TShellTreeModel(this);
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

    const bool hadSelection = FModel->Selected() != nullptr;
    FModel->Clear();
    if (hadSelection) DoChange();

    auto top = std::make_unique<TTreeNode>();
    IDListPtr list = PathToIDList(FRoot.toStdString(), FSpecialRoot, OwnerWindow());
    ShellFolder* desktop = DesktopFolder().get();
    bool hasSubItems = false;
    if (list && desktop != nullptr) {
        top->Data.IDListSize = static_cast<std::int32_t>(GetIDListSize(list.get()));
        top->Data.IDList = list.release();
        top->Data.Attributes = GetItemAttributes(*desktop, top->Data.IDList, SFGAO_FOLDER | SFGAO_FILESYSTEM);
        top->Data.FileSysPath = GetPathFromIDList(top->Data.IDList);
        top->Text = LastNameComponent(
            QString::fromStdString(GetDisplayName(*desktop, top->Data.IDList, DisplayNameNormal)), FPathSyntax);
        FModel->SetImageList(SetNodeIcons(*top, top->Data.IDList));
        hasSubItems = HasSubItems(*desktop, top->Data.IDList, nullptr);
    } else {
        // Nothing to list: the node names what was asked for, with a closed
        // folder, and no path search can reach into it.
        top->Text = FRoot.isEmpty() ? QString::fromUtf16(MissingRootCaption) : FRoot;
        top->ImageIndex = top->SelectedImageIndex = IconFolder;
        FModel->SetImageList(SharedIconListHandle);
    }
    top->HasChildren = hasSubItems;
    TTreeNode* node = top.get();
    FModel->SetTop(std::move(top));
    // Expanding lists the root's children at once.
    if (node->HasChildren) expand(FModel->IndexOf(node));
}

ImageListHandle TShellTreeView::SetNodeIcons(TTreeNode& node, PCItemIDList absoluteList) {
    ImageListHandle list = 0;
    node.ImageIndex = static_cast<std::int16_t>(GetShellIconIndex(absoluteList, IconNormal, &list));
    node.SelectedImageIndex = static_cast<std::int16_t>(GetShellIconIndex(absoluteList, IconOpen));
    return list;
}

bool TShellTreeView::IncludeItem(ShellFolder& folder, PCItemIDList item) {
    const std::uint32_t attributes =
        GetItemAttributes(folder, item, SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM);
    if (attributes & SFGAO_FILESYSANCESTOR) return true;
    return (attributes & SFGAO_FILESYSTEM) && ((attributes & SFGAO_FOLDER) || FShowFiles);
}

bool TShellTreeView::HasSubItems(ShellFolder& folder, PCItemIDList item, TPopulateState* state) {
    if (!FShowFiles) return HasSubFolderItem(folder, item);
    if (!IsFolderItem(folder, item)) return false;
    // The question is whether the containing folder lists anything, which
    // is the same for all its children: one enumeration answers it for the
    // whole listing.
    if (state != nullptr && state->containerKnown) return state->containerListable;
    bool listable = false;
    ShellEnumPtr enumerator;
    if (folder.EnumObjects(OwnerWindow(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator) == ShellOk &&
        enumerator) {
        PItemIDList first = nullptr;
        listable = enumerator->Next(first) == ShellOk;
        FreeIDList(first);
    }
    if (state != nullptr) {
        state->containerKnown = true;
        state->containerListable = listable;
    }
    return listable;
}

IDListPtr TShellTreeView::GetNodeIDList(const TTreeNode* node) const {
    if (node == nullptr) return nullptr;
    std::vector<const TTreeNode*> chain;
    std::size_t total = 2;
    for (const TTreeNode* n = node; n != nullptr; n = n->Parent) {
        // Only a top node that did not parse lacks a list; nothing below it
        // can be addressed.
        if (n->Data.IDList == nullptr || n->Data.IDListSize < 2) return nullptr;
        chain.push_back(n);
        total += static_cast<std::size_t>(n->Data.IDListSize) - 2;
    }
    IDListPtr list = AllocIDList(total);
    if (!list) return nullptr;
    std::uint8_t* out = list.get();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const std::size_t size = static_cast<std::size_t>((*it)->Data.IDListSize) - 2;
        std::memcpy(out, (*it)->Data.IDList, size);
        out += size;
    }
    out[0] = 0;
    out[1] = 0;
    return list;
}

TTreeNode* TShellTreeView::ListChildren(TTreeNode* node) {
    IDListPtr absolute = GetNodeIDList(node);
    if (!absolute || !DesktopFolder()) return nullptr;
    ShellFolderPtr folder;
    if (IsDesktopIDList(absolute.get())) {
        folder = DesktopFolder();
    } else if (DesktopFolder()->BindToObject(absolute.get(), folder) != ShellOk || !folder) {
        // Not bound: the node keeps its expand button for another try.
        return nullptr;
    }
    return PopulateNode(node, *folder, absolute.get());
}

TTreeNode* TShellTreeView::PopulateNode(TTreeNode* node, ShellFolder& folder, PCItemIDList parentList) {
    TBusyCursor busy;

    // Hidden items are not asked for; files are asked for either way and
    // IncludeItem decides.
    ShellEnumPtr enumerator;
    if (folder.EnumObjects(OwnerWindow(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator) != ShellOk ||
        !enumerator)
        return nullptr;

    // The new nodes join the tree only when the listing is complete, so an
    // exception leaves the node as it was (and frees what was made so far).
    std::vector<std::unique_ptr<TTreeNode>> children;
    TPopulateState state;
    for (;;) {
        PItemIDList fetched = nullptr;
        const HResult status = enumerator->Next(fetched);
        IDListPtr item(fetched);
        if (status != ShellOk || !item) break;
        if (!IncludeItem(folder, item.get())) continue;

        auto child = std::make_unique<TTreeNode>();
        child->Data.IDListSize = static_cast<std::int32_t>(GetIDListSize(item.get()));
        child->Data.IDList = item.release();
        child->Data.Attributes = GetItemAttributes(folder, child->Data.IDList, SFGAO_FOLDER | SFGAO_FILESYSTEM);
        child->Text = QString::fromStdString(GetDisplayName(folder, child->Data.IDList, DisplayNameInFolder));
        child->HasChildren = HasSubItems(folder, child->Data.IDList, &state);
        const IDListPtr absolute = ConcatIDLists(parentList, child->Data.IDList);
        const ImageListHandle icons = SetNodeIcons(*child, absolute.get());
        // The icon list is the one named for the root; when the root's own
        // query failed, a child's answer names it, so that one failed query
        // does not blank every icon of the tree.
        if (FModel->ImageList() == 0) FModel->SetImageList(icons);
        child->Data.FileSysPath = GetPathFromIDList(absolute.get());
        children.push_back(std::move(child));
    }
    enumerator.reset();

    SortSiblings(children);
    // A folder with nothing to list loses its expand button.
    FModel->SetHasChildren(node, !children.empty());
    FModel->AdoptChildren(node, std::move(children));
    return node->Children.empty() ? nullptr : node->Children.front().get();
}

void TShellTreeView::NodeExpanded(const QModelIndex& index) {
    TTreeNode* node = FModel->NodeOf(index);
    if (node == nullptr || !node->HasChildren || !node->Children.empty()) return;

    // If the listing fails or throws, the node folds up again, so that the
    // next click on its button tries once more.
    struct FoldIfEmpty {
        TShellTreeView* view;
        TTreeNode* node;
        ~FoldIfEmpty() {
            if (!node->Children.empty() || node->Parent == nullptr) return;
            view->collapse(view->FModel->IndexOf(node));
        }
    } fold{this, node};
    const bool hadButton = node->HasChildren;
    ListChildren(node);
    // The view keeps its own copy of the button state; a change needs a
    // new layout.
    if (node->HasChildren != hadButton) scheduleDelayedItemsLayout();
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

TTreeNode* TShellTreeView::FindNodeByIDList(PCItemIDList target) {
    TTreeNode* node = FModel->Top();
    if (node == nullptr) return nullptr;
    PCItemIDList rest = MatchIDListPrefix(node->Data.IDList, target);
    if (rest == nullptr) return nullptr;
    for (;;) {
        if (node->Children.empty() && node->HasChildren) {
            const bool hadButton = node->HasChildren;
            ListChildren(node);
            if (node->HasChildren != hadButton) scheduleDelayedItemsLayout();
        }
        TTreeNode* next = nullptr;
        for (const auto& child : node->Children) {
            if (PCItemIDList remainder = MatchIDListPrefix(child->Data.IDList, rest)) {
                next = child.get();
                rest = remainder;
                break;
            }
        }
        if (next == nullptr) return node;
        node = next;
    }
}

void TShellTreeView::SelectByPath(const QString& path) {
    QString p = path;
    for (;;) {
        IDListPtr list = PathToIDList(p.toStdString(), sfDesktop, OwnerWindow());
        if (list) {
            TTreeNode* node = FindNodeByIDList(list.get());
            if (node == nullptr) return;
            if (node->HasChildren) expand(FModel->IndexOf(node));
            SelectNode(node);
            return;
        }
        // Not there: try the folder that would hold it.
        const QString previous = p;
        p = ParentDirectory(p, FPathSyntax);
        if (p.isEmpty() || p == previous) return;
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
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
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
