#include "ShellTreeNode.h"

#include "FileNameOrder.h"
#include "ItemIDList.h"

#include <QCollator>

#include <algorithm>

namespace quillane {

using namespace shell;

bool IsFolderNode(const TTreeNode& node) {
    return (node.Data.Attributes & SFGAO_FOLDER) != 0;
}

// Sort keys are made once per node, not once per comparison.
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

std::unique_ptr<TTreeNode> NodeFrom(ShellItemInfo& info) {
    auto node = std::make_unique<TTreeNode>();
    node->Data.IDListSize = static_cast<std::int32_t>(GetIDListSize(info.item.Get()));
    // The worker's lists come from the unit's allocator, which frees them.
    node->Data.IDList.reset(info.item.Release());
    node->Data.Attributes = info.attributes & (SFGAO_FOLDER | SFGAO_FILESYSTEM);
    node->Data.FileSysPath = std::move(info.path);
    node->Text = QString::fromStdString(info.name);
    node->HasChildren = info.hasSubItems;
    node->ImageIndex = static_cast<std::int16_t>(info.icon);
    node->SelectedImageIndex = static_cast<std::int16_t>(info.openIcon);
    return node;
}

std::string NodeListBytes(const TTreeNode* node) {
    std::vector<const TTreeNode*> chain;
    for (const TTreeNode* n = node; n != nullptr; n = n->Parent) {
        if (!n->Data.IDList) return std::string();
        chain.push_back(n);
    }
    std::string bytes;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) bytes += IDListBytes((*it)->Data.IDList.get());
    return IDListBlock(bytes);
}

}  // namespace quillane
