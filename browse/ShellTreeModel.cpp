#include "ShellTreeModel.h"

#include "ItemIDList.h"
#include "ShellIconSet.h"
#include "ShellIcons.h"
#include "ShellListing.h"
#include "ShellWorker.h"

#include <QApplication>

#include <algorithm>
#include <mutex>
#include <utility>

namespace quillane {

using namespace shell;

namespace {

// Long enough for a local disk to answer a listing of thousands of folders,
// short enough that the window never seems to stop.
constexpr std::chrono::milliseconds DefaultWaitLimit{80};

// The captions are translated where they are shown, in the model's context.
const char* const LoadingCaption = QT_TRANSLATE_NOOP("quillane::TShellTreeModel", "読み込み中...");
// The caption of a top node whose special folder cannot be located ("not
// found"); a root path that does not parse shows the path itself.
const char* const MissingRootCaption = QT_TRANSLATE_NOOP("quillane::TShellTreeModel", "(見つかりません)");

// Shows the busy cursor for its lifetime, so that every way out of a wait
// or a listing, an exception included, puts the previous cursor back.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Whether the folder path `folder` holds `path` or is it, by text.
bool HoldsPath(const QString& folder, const QString& path, TPathSyntax syntax) {
    const Qt::CaseSensitivity cs = syntax == TPathSyntax::Windows ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (folder.isEmpty() || !path.startsWith(folder, cs)) return false;
    const QChar separator = syntax == TPathSyntax::Windows ? QChar(u'\\') : QChar(u'/');
    return path.size() == folder.size() || folder.endsWith(separator) || path.at(folder.size()) == separator;
}

}  // namespace

// Where a worker thread tells the model that work has ended. The model
// leaves it when it goes, so a late answer never reaches a model that is gone.
struct TShellTreeModel::TMailbox {
    std::mutex mutex;
    TShellTreeModel* model = nullptr;

    void Post(std::uint64_t request) {
        std::lock_guard<std::mutex> lock(mutex);
        if (model == nullptr) return;
        // Delivered on the model's thread; dropped if the model is deleted first.
        QMetaObject::invokeMethod(
            model, [target = model, request] { target->Deliver(request); }, Qt::QueuedConnection);
    }
};

// One listing: asked on the window's thread, filled on a worker thread.
struct TShellTreeModel::TListJob {
    ShellContext context;
    std::string folder;
    bool listed = false;
    std::vector<ShellItemInfo> items;
};

// The top node's record.
struct TShellTreeModel::TRootJob {
    ShellContext context;
    QString root;
    TPathSyntax syntax;
    ShellItemInfo info;
};

TShellTreeModel::TShellTreeModel(QObject* parent)
    : QAbstractItemModel(parent), FWaitLimit(DefaultWaitLimit), FMailbox(std::make_shared<TMailbox>()) {
    FMailbox->model = this;
}

TShellTreeModel::~TShellTreeModel() {
    std::lock_guard<std::mutex> lock(FMailbox->mutex);
    FMailbox->model = nullptr;
}

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
    if (node->Placeholder) return role == Qt::DisplayRole ? QVariant(tr(LoadingCaption)) : QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return node->Text;
    case Qt::DecorationRole:
        return ShellIconImage(FImageList, node == FSelected ? node->SelectedImageIndex : node->ImageIndex);
    case FileSysPathRole:
        return QString::fromStdString(node->Data.FileSysPath);
    case ImageIndexRole:
        return static_cast<int>(node->ImageIndex);
    case SelectedImageIndexRole:
        return static_cast<int>(node->SelectedImageIndex);
    case HasChildrenFlagRole:
        return node->HasChildren;
    default:
        return QVariant();
    }
}

Qt::ItemFlags TShellTreeModel::flags(const QModelIndex& index) const {
    const TTreeNode* node = NodeOf(index);
    if (node == nullptr) return Qt::NoItemFlags;
    // The loading row is shown greyed and the keyboard passes it by.
    if (node->Placeholder) return Qt::ItemNeverHasChildren;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // A node without a button never gets children before the next rebuild,
    // so the view neither expands it nor asks about its children.
    if (!node->HasChildren && node->Children.empty()) flags |= Qt::ItemNeverHasChildren;
    return flags;
}

bool TShellTreeModel::canFetchMore(const QModelIndex& parent) const {
    const TTreeNode* node = NodeOf(parent);
    return node != nullptr && !node->Placeholder && node->HasChildren && node->State == TNodeState::Unlisted &&
           node->Data.IDList != nullptr;
}

void TShellTreeModel::fetchMore(const QModelIndex& parent) {
    List(NodeOf(parent), Deadline());
}

void TShellTreeModel::Clear() {
    beginResetModel();
    // Answers still to come find nothing to go to.
    FPending.clear();
    FSelected = nullptr;
    FTop.reset();
    FNodeCount = 0;
    endResetModel();
}

bool TShellTreeModel::Submit(const ShellContext& context, std::function<void()> work, std::function<void()> answer,
                             Clock::time_point deadline) {
    const std::uint64_t request = ++FNextRequest;
    const ShellTaskPtr task =
        context.worker->Run(std::move(work), [mailbox = FMailbox, request] { mailbox->Post(request); });
    TBusyCursor busy;
    if (task->WaitUntil(deadline)) {
        // The post that follows finds the request answered.
        answer();
        return true;
    }
    FPending.emplace(request, std::move(answer));
    return false;
}

void TShellTreeModel::Deliver(std::uint64_t request) {
    auto it = FPending.find(request);
    if (it == FPending.end()) return;
    const std::function<void()> answer = std::move(it->second);
    FPending.erase(it);
    TBusyCursor busy;
    answer();
}

void TShellTreeModel::Rebuild(const QString& root, TSpecialFolder special, bool showFiles, TPathSyntax syntax) {
    Clear();
    FShowFiles = showFiles;
    auto job = std::make_shared<TRootJob>();
    job->context = CurrentShellContext();
    job->root = root;
    job->syntax = syntax;
    if (!job->context) {
        SetTop(*job);
        return;
    }
    auto work = [job, path = root.toStdString(), special, showFiles, owner = Owner()] {
        job->info = DescribeShellRoot(job->context, path, special, showFiles, owner);
    };
    if (Submit(
            job->context, std::move(work), [this, job] { SetTop(*job); }, Deadline()))
        return;

    // Until the record comes, the node names what was asked for.
    auto top = std::make_unique<TTreeNode>();
    top->Text = root.isEmpty() ? tr(LoadingCaption) : LastNameComponent(root, syntax);
    top->ImageIndex = top->SelectedImageIndex = IconFolder;
    top->HasChildren = true;
    top->State = TNodeState::Loading;
    FImageList = SharedIconListHandle;
    beginInsertRows(QModelIndex(), 0, 0);
    FTop = std::move(top);
    FNodeCount = 1;
    endInsertRows();
    ShowLoading(FTop.get());
}

void TShellTreeModel::SetTop(TRootJob& job) {
    std::unique_ptr<TTreeNode> made;
    if (job.info.item) {
        made = NodeFrom(job.info);
        made->Text = LastNameComponent(made->Text, job.syntax);
        FImageList = job.info.iconList;
    } else {
        // Nothing to list: the node names what was asked for, with a closed
        // folder, and no path search can reach into it.
        made = std::make_unique<TTreeNode>();
        made->Text = job.root.isEmpty() ? tr(MissingRootCaption) : job.root;
        made->ImageIndex = made->SelectedImageIndex = IconFolder;
        FImageList = SharedIconListHandle;
    }
    if (!FTop) {
        beginInsertRows(QModelIndex(), 0, 0);
        FTop = std::move(made);
        FNodeCount = 1;
        endInsertRows();
        return;
    }
    // The record came late: the node the view already shows takes it.
    TTreeNode* top = FTop.get();
    DropLoading(top);
    top->Data = std::move(made->Data);
    top->Text = made->Text;
    top->ImageIndex = made->ImageIndex;
    top->SelectedImageIndex = made->SelectedImageIndex;
    top->HasChildren = made->HasChildren;
    top->State = TNodeState::Unlisted;
    const QModelIndex index = IndexOf(top);
    emit dataChanged(index, index);
    emit TopArrived();
}

void TShellTreeModel::List(TTreeNode* node, Clock::time_point deadline) {
    if (node == nullptr || node->Placeholder || !node->HasChildren || node->State != TNodeState::Unlisted) return;
    auto job = std::make_shared<TListJob>();
    job->context = CurrentShellContext();
    job->folder = NodeListBytes(node);
    if (!job->context || job->folder.empty()) return;
    node->State = TNodeState::Loading;
    auto work = [job, showFiles = FShowFiles, owner = Owner()] {
        job->listed = ListShellFolder(job->context, AsIDList(job->folder), showFiles, owner, job->items);
    };
    if (!Submit(
            job->context, std::move(work), [this, node, job] { AdoptListing(node, *job); }, deadline))
        ShowLoading(node);
}

void TShellTreeModel::AdoptListing(TTreeNode* node, TListJob& job) {
    try {
        // The new nodes join the tree only when the listing is complete, so
        // an exception leaves the node as it was (and frees what was made).
        std::vector<std::unique_ptr<TTreeNode>> children;
        children.reserve(job.items.size());
        for (ShellItemInfo& info : job.items) {
            ListedItemFolder folder(job.context, info);
            if (FInclude && !FInclude(folder, info.item.Get())) continue;
            // The icon list is the one named for the root; when the root's
            // own query failed, a child's answer names it, so that one failed
            // query does not blank every icon of the tree.
            if (FImageList == 0) FImageList = info.iconList;
            children.push_back(NodeFrom(info));
        }
        SortSiblings(children);
        DropLoading(node);
        if (job.listed) {
            // A folder with nothing to list loses its expand button.
            SetHasChildren(node, !children.empty());
            AdoptChildren(node, std::move(children));
            node->State = TNodeState::Listed;
        } else {
            node->State = TNodeState::Failed;
        }
    } catch (...) {
        DropLoading(node);
        node->State = TNodeState::Unlisted;
        emit Listed(IndexOf(node));
        throw;
    }
    emit Listed(IndexOf(node));
}

void TShellTreeModel::ForgetFailure(TTreeNode* node) {
    if (node != nullptr && node->State == TNodeState::Failed) node->State = TNodeState::Unlisted;
}

void TShellTreeModel::ShowLoading(TTreeNode* node) {
    auto row = std::make_unique<TTreeNode>();
    row->Placeholder = true;
    row->Parent = node;
    beginInsertRows(IndexOf(node), 0, 0);
    node->Children.push_back(std::move(row));
    endInsertRows();
}

void TShellTreeModel::DropLoading(TTreeNode* node) {
    if (node->Children.empty() || !node->Children.front()->Placeholder) return;
    beginRemoveRows(IndexOf(node), 0, 0);
    node->Children.clear();
    endRemoveRows();
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
    emit dataChanged(index, index, {HasChildrenFlagRole});
}

TTreeNode* TShellTreeModel::FindNodeByIDList(PCItemIDList target, Clock::time_point deadline, TTreeNode*& blocked) {
    blocked = nullptr;
    TTreeNode* node = FTop.get();
    if (node == nullptr) return nullptr;
    if (!node->Data.IDList && node->State == TNodeState::Loading) {
        blocked = node;
        return nullptr;
    }
    PCItemIDList rest = MatchIDListPrefix(node->Data.IDList.get(), target);
    if (rest == nullptr) return nullptr;
    for (;;) {
        List(node, deadline);
        if (node->State == TNodeState::Loading) {
            blocked = node;
            return node;
        }
        TTreeNode* next = nullptr;
        for (const auto& child : node->Children) {
            if (PCItemIDList remainder = MatchIDListPrefix(child->Data.IDList.get(), rest)) {
                next = child.get();
                rest = remainder;
                break;
            }
        }
        if (next == nullptr) return node;
        node = next;
    }
}

TTreeNode* TShellTreeModel::DeepestNodeOnPath(const QString& path, TPathSyntax syntax) const {
    // Through items without a path (the computer) and folders that hold the
    // path, to the one with the longest path.
    TTreeNode* best = nullptr;
    int bestLength = -1;
    std::vector<TTreeNode*> open;
    if (FTop) open.push_back(FTop.get());
    while (!open.empty()) {
        TTreeNode* node = open.back();
        open.pop_back();
        const QString own = QString::fromStdString(node->Data.FileSysPath);
        if (HoldsPath(own, path, syntax)) {
            if (own.size() > bestLength) {
                best = node;
                bestLength = static_cast<int>(own.size());
            }
        } else if (!own.isEmpty() && node != FTop.get()) {
            // The top holds everything below it, whatever its own path.
            continue;
        }
        for (const auto& child : node->Children)
            if (!child->Placeholder) open.push_back(child.get());
    }
    return best;
}

bool TShellTreeModel::ParseFirstPath(std::vector<std::string> paths, Clock::time_point deadline,
                                     std::function<void(IDListPtr)> answer) {
    const ShellContext context = CurrentShellContext();
    if (!context) {
        answer(nullptr);
        return true;
    }
    auto parsed = std::make_shared<HeldIDList>();
    auto work = [parsed, context, paths = std::move(paths), owner = Owner()] {
        *parsed = shell::ParseFirstPath(context, paths, owner);
    };
    return Submit(
        context, std::move(work), [parsed, answer = std::move(answer)] { answer(IDListPtr(parsed->Release())); },
        deadline);
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
