#include "MemoryTree.h"

#include "MemoryShell.h"
#include "ShellIcons.h"
#include "ShellNamespace.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace quillane::shell {

namespace {

std::string Trim(const std::string& s) {
    const auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return std::string();
    const auto end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

// A description's flags: an attribute bit it sets, or a switch it turns on.
struct Flag {
    const char* name;
    std::uint32_t attribute;
    bool MemNode::*on;
};

const Flag Flags[] = {
    {"folder", SFGAO_FOLDER, nullptr},
    {"fs", SFGAO_FILESYSTEM, nullptr},
    {"ancestor", SFGAO_FILESYSANCESTOR, nullptr},
    {"sub", SFGAO_HASSUBFOLDER, nullptr},
    {"nosub", 0, &MemNode::noSub},
    {"hidden", 0, &MemNode::hidden},
    {"noattr", 0, &MemNode::noAttr},
    {"noname", 0, &MemNode::noName},
    {"nobind", 0, &MemNode::noBind},
    {"noenum", 0, &MemNode::noEnum},
    {"noicon", 0, &MemNode::noIcon},
    {"nopath", 0, &MemNode::noPath},
};

void ApplyFlags(MemNode& node, const std::string& flags, int lineNo) {
    std::istringstream in(flags);
    std::string word;
    while (in >> word) {
        const auto flag =
            std::find_if(std::begin(Flags), std::end(Flags), [&](const Flag& f) { return word == f.name; });
        if (flag == std::end(Flags))
            throw std::invalid_argument("line " + std::to_string(lineNo) + ": unknown flag " + word);
        node.attributes |= flag->attribute;
        if (flag->on != nullptr) node.*(flag->on) = true;
    }
}

// Fills in the attributes and icons that follow from the tree's shape.
void Complete(MemNode& node) {
    if (!node.path.empty()) node.attributes |= SFGAO_FILESYSTEM;
    if (!node.children.empty()) node.attributes |= SFGAO_FOLDER;
    if (!node.noSub)
        for (auto& child : node.children)
            if (child->attributes & SFGAO_FOLDER) node.attributes |= SFGAO_HASSUBFOLDER;
    if (!(node.attributes & SFGAO_FOLDER)) {
        node.icon = node.openIcon = IconFile;
    } else if (node.attributes & SFGAO_FILESYSTEM) {
        node.icon = IconFolder;
        node.openIcon = IconFolderOpen;
    } else {
        node.icon = node.openIcon = IconComputer;
    }
}

}  // namespace

std::vector<std::string> Split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!s.empty() && s.back() == separator) parts.emplace_back();
    return parts;
}

std::string ItemBytes(const MemNode& node) {
    const std::size_t cb = MemoryShell::NameOffset + node.name.size() + 1;
    std::string item(cb, '\0');
    item[0] = static_cast<char>(cb & 0xFF);
    item[1] = static_cast<char>(cb >> 8);
    item[2] = static_cast<char>(MemoryItemTag);
    for (int k = 0; k < 4; ++k) item[3 + k] = static_cast<char>((node.id >> (8 * k)) & 0xFF);
    std::memcpy(&item[MemoryShell::NameOffset], node.name.data(), node.name.size());
    return item;
}

void BuildMemoryTree(const std::string& description, MemNode& root, std::vector<MemNode*>& byId) {
    // Flags are parsed first, then the structure's defaults are filled in.
    std::vector<MemNode*> all;
    std::vector<MemNode*> stack{&root};
    std::istringstream in(description);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        const std::size_t indent = line.find_first_not_of(' ');
        if (indent % 2 != 0 || indent / 2 + 1 > stack.size())
            throw std::invalid_argument("line " + std::to_string(lineNo) + ": bad indentation");
        stack.resize(indent / 2 + 1);
        MemNode* parent = stack.back();

        const std::vector<std::string> fields = Split(trimmed, '|');
        auto node = std::make_unique<MemNode>();
        node->name = Trim(fields[0]);
        if (node->name.empty()) throw std::invalid_argument("line " + std::to_string(lineNo) + ": no name");
        if (node->name.size() > 60000)
            throw std::invalid_argument("line " + std::to_string(lineNo) + ": name too long for an item");
        for (auto& sibling : parent->children)
            if (sibling->name == node->name)
                throw std::invalid_argument("line " + std::to_string(lineNo) + ": duplicate name " + node->name);
        if (fields.size() > 1) ApplyFlags(*node, fields[1], lineNo);
        if (fields.size() > 2) node->path = Trim(fields[2]);
        if (fields.size() > 3) node->normalName = Trim(fields[3]);
        node->id = static_cast<std::uint32_t>(byId.size());
        node->parent = parent;
        byId.push_back(node.get());
        all.push_back(node.get());
        stack.push_back(node.get());
        parent->children.push_back(std::move(node));
    }
    // Children come after their parents in `all`, so completing in reverse
    // settles every child's folder bit before its parent looks at it.
    for (auto it = all.rbegin(); it != all.rend(); ++it) Complete(**it);
    Complete(root);
}

}  // namespace quillane::shell
