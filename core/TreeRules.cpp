// Classification of entry keys against node keys, and the tree order.
#include "core/TreeRules.h"

#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr std::string_view kHttpPrefix = "http://";

std::string_view WithoutScheme(std::string_view text) { return text.substr(WebSchemeLength(text)); }

}  // namespace

std::string NodePrefix(std::string_view nodeKey) {
  std::string prefix(nodeKey);
  if (prefix.empty() || prefix.back() != '/') prefix += '/';
  return prefix;
}

bool IsUnderNodeKey(std::string_view nodeKey, std::string_view entryKey) {
  const std::size_t scheme = WebSchemeLength(entryKey);
  return scheme > 0 && StartsWithNoCase(entryKey.substr(scheme), NodePrefix(nodeKey));
}

std::size_t FindFirstIndex(const std::string& key, const TEntryList& list) {
  // The list is sorted after the keys' schemes, so the keys below the node form one run that starts where
  // "http://" + prefix would go.
  for (std::size_t i = list.LowerBound(std::string(kHttpPrefix) + NodePrefix(key)); i < list.Count(); ++i) {
    if (IsUnderNodeKey(key, list[i].Key)) return i;
    if (list[i].Info) break;  // a deleted entry inside the run is passed over
  }
  return kNoRun;
}

std::vector<std::size_t> EntryIndexesUnder(const TEntryList& list, const std::string& nodeKey) {
  std::vector<std::size_t> indexes;
  for (std::size_t i = nodeKey.empty() ? 0 : FindFirstIndex(nodeKey, list); i < list.Count(); ++i) {
    if (!list[i].Info) continue;
    if (!nodeKey.empty() && !IsUnderNodeKey(nodeKey, list[i].Key)) break;  // the node's entries form one run
    indexes.push_back(i);
  }
  return indexes;
}

TEntryPlace ClassifyEntry(std::string_view key, std::string_view url) {
  const std::string_view nodeKey = WithoutScheme(key);
  if (!IsUnderNodeKey(nodeKey, url)) return TEntryPlace::epOutside;
  const std::string_view rest = url.substr(WebSchemeLength(url) + NodePrefix(nodeKey).size());
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return TEntryPlace::epInFolder;
  const std::size_t query = rest.find('?');
  if (query != std::string_view::npos && query < slash) return TEntryPlace::epInFolder;
  return TEntryPlace::epInSubfolder;
}

std::string SubfolderName(std::string_view prefix, std::string_view url) {
  const std::string_view path = WithoutScheme(url);
  const std::size_t prefixLength = WithoutScheme(prefix).size();
  const std::string_view rest = prefixLength < path.size() ? path.substr(prefixLength) : std::string_view();
  // A name runs up to the next "/"; when the rest starts with "/" (an empty segment) it is all of the rest.
  const std::size_t slash = rest.find('/');
  return std::string(slash == std::string_view::npos || slash == 0 ? rest : rest.substr(0, slash));
}

int CompareNodes(const TTreeNode& a, const TTreeNode& b) {
  if (a.HasChildren() != b.HasChildren()) return a.HasChildren() ? 1 : -1;
  const int order = a.Caption().compare(b.Caption());  // std::string compares bytes as unsigned char
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool NodeLess(const TTreeNode& a, const TTreeNode& b) { return CompareNodes(a, b) < 0; }

}  // namespace hoardscope
