#pragma once

// The items of the in-memory namespace and how its text description (see
// MemoryShell.h) builds them.

#include "ShellIcons.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillane::shell {

/// The byte that marks an item this namespace made.
constexpr std::uint8_t MemoryItemTag = 'M';

/// One item. Nodes never change once built.
struct MemNode {
    std::uint32_t id = 0;
    std::string name;
    std::string path;
    std::string normalName;
    std::uint32_t attributes = 0;
    bool hidden = false;
    bool noSub = false;
    bool noAttr = false, noName = false, noBind = false, noEnum = false, noIcon = false, noPath = false;
    int icon = IconFile;
    int openIcon = IconFile;
    MemNode* parent = nullptr;
    std::vector<std::unique_ptr<MemNode>> children;
};

/// Bytes of the one item that addresses `node` inside its parent: size,
/// tag, id and the name at MemoryShell::NameOffset.
std::string ItemBytes(const MemNode& node);

/// The parts of `s` between `separator`s; a trailing separator ends with an
/// empty part.
std::vector<std::string> Split(const std::string& s, char separator);

/// Builds the nodes of `description` below `root` and appends each to
/// `byId` at the index of its id. Throws std::invalid_argument on a
/// malformed description (bad indentation, unknown flag, duplicate sibling).
void BuildMemoryTree(const std::string& description, MemNode& root, std::vector<MemNode*>& byId);

}  // namespace quillane::shell
