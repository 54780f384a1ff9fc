// Where entries lie relative to tree nodes, and the order of the tree's nodes. Pure functions of text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/EntryList.h"
#include "core/TreeModel.h"

namespace hoardscope {

enum class TEntryPlace { epInFolder, epInSubfolder, epOutside };

// What the entries below a node continue after "http://" or "https://": its node key followed by "/", which is not doubled
// when the key ends with "/" already.
std::string NodePrefix(std::string_view nodeKey);

// True when the entry key continues "http://" or "https://" + NodePrefix(nodeKey) (A-Z folded): the entry lies below the node.
// The one rule of "below" for expansion, totals, the search's folder and the node's deletion.
bool IsUnderNodeKey(std::string_view nodeKey, std::string_view entryKey);

// FindFirstIndex's answer when no entry of the list lies below the node; past the end of every list.
inline constexpr std::size_t kNoRun = static_cast<std::size_t>(-1);

// The first index of a sorted list whose key lies below the node key: where the run of the node's entries starts;
// kNoRun when there is none.
std::size_t FindFirstIndex(const std::string& key, const TEntryList& list);

// The indexes of the listed (not deleted) entries of a sorted list below the node key, in the list's order; of
// every listed entry for an empty key.
std::vector<std::size_t> EntryIndexesUnder(const TEntryList& list, const std::string& nodeKey);

TEntryPlace ClassifyEntry(std::string_view key, std::string_view url);

// The child folder's name of url below prefix (a node key ending in "/").
std::string SubfolderName(std::string_view prefix, std::string_view url);

// Tree order: files (nodes without children) before folders, then by caption, bytewise and case-sensitive.
// Negative when a goes first, positive when b does, 0 for the same kind and caption.
int CompareNodes(const TTreeNode& a, const TTreeNode& b);
bool NodeLess(const TTreeNode& a, const TTreeNode& b);

}  // namespace hoardscope
