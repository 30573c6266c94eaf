#pragma once

// The nodes of the shell folder tree: the shell record each holds, and how
// a shell item becomes a node.

#include "ShellListing.h"
#include "ShellRoutines.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillane {

/// The shell record of one node.
struct TNodeData {
    /// The node's item ID list, owned: absolute for the top node, the one
    /// item its parent's enumeration handed out for every other node.
    shell::IDListPtr IDList;
    /// Byte size of IDList with its terminator; 0 when IDList is null.
    std::int32_t IDListSize = 0;
    /// SFGAO_FOLDER | SFGAO_FILESYSTEM as the shell answered; 0 on failure.
    std::uint32_t Attributes = 0;
    /// File-system path (UTF-8); empty for items without one.
    std::string FileSysPath;
};

/// How much of a node's children is known.
enum class TNodeState : std::uint8_t {
    Unlisted,  ///< not listed yet
    Loading,   ///< being listed; shows the loading row meanwhile
    Listed,    ///< listed; not listed again before the next rebuild
    Failed,    ///< the folder could not be opened; see ForgetFailure
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
    TNodeState State = TNodeState::Unlisted;
    /// The loading row of a node being listed: no record, never selected.
    bool Placeholder = false;
};

/// Whether the node's item is a folder, as the shell answered.
bool IsFolderNode(const TTreeNode& node);

/// Puts siblings in the tree's order: folders first, then the file-system
/// paths lower-cased the file-name way in the user's collation; the
/// captions play no part. Items without a path sort ahead; equal ones keep
/// their enumeration order.
void SortSiblings(std::vector<std::unique_ptr<TTreeNode>>& nodes);

/// A node with what the shell told of its item; the node takes the item
/// list.
std::unique_ptr<TTreeNode> NodeFrom(shell::ShellItemInfo& info);

/// The absolute list of `node` (the top node's list and the one item of
/// each node on the way down), terminator included; empty when the top node
/// has no list.
std::string NodeListBytes(const TTreeNode* node);

}  // namespace quillane
