// Where entries lie relative to tree nodes, and the order of the tree's nodes. Pure functions of text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/EntryList.h"
#include "core/TreeModel.h"

namespace hoardscope {

enum class TEntryPlace { epInFolder, epInSubfolder, epOutside };

// True when the entry key continues "http://" + nodeKey + "/" (A-Z folded): the entry lies below the node.
bool IsUnderNodeKey(std::string_view nodeKey, std::string_view entryKey);

// The first index of a sorted list whose key lies below the node key; 0 when none does.
std::size_t FindFirstIndex(const std::string& key, const TEntryList& list);

TEntryPlace ClassifyEntry(std::string_view key, std::string_view url);

// The child folder's name of url below prefix (a node key ending in "/").
std::string SubfolderName(std::string_view prefix, std::string_view url);

// Tree order: files (nodes without children) before folders, then by caption, bytewise and case-sensitive.
// Negative when a goes first, positive when b does, 0 for the same kind and caption.
int CompareNodes(const TTreeNode& a, const TTreeNode& b);
bool NodeLess(const TTreeNode& a, const TTreeNode& b);

}  // namespace hoardscope
