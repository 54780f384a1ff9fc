// The host level and the lazy expansion of hosts and folders, with the file nodes' captions and icons.
#include "presenter/FolderExpansion.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "core/PageTitle.h"
#include "core/Tools.h"
#include "core/TreeRules.h"

namespace hoardscope {
namespace {

constexpr const char* kEmptySlot = " ";
constexpr std::string_view kHttpPrefix = "http://";
constexpr const char* kMimeDatabaseKey = "\\MIME\\Database\\Content Type\\";

}  // namespace

TFileIcons::TFileIcons(IShell& shell, IRegistry& registry, std::vector<std::string>& keys)
    : FShell(shell), FRegistry(registry), FKeys(keys) {
  FKeys.assign(kIconSlots, kEmptySlot);
}

int TFileIcons::GetIconIndex(const std::string& extension) {
  const std::string folded = LowerAscii(extension);
  if (const auto found = FSlotOf.find(folded); found != FSlotOf.end()) return found->second;
  if (FKeys.back() != kEmptySlot) {
    // Every slot is in use: reuse the icon of files without type rather than grow past the list.
    const auto untyped = FSlotOf.find(std::string());
    return untyped == FSlotOf.end() ? -1 : untyped->second;
  }
  const int index = FShell.AddFileTypeIcon(extension);
  if (index >= 0 && static_cast<std::size_t>(index) < FKeys.size()) {
    FKeys[static_cast<std::size_t>(index)] = extension;
    FSlotOf.emplace(folded, index);
  }
  return index;
}

std::string TFileIcons::ExtensionForContentType(const std::string& contentType) {
  const std::unique_ptr<IRegistryKey> key =
      FRegistry.OpenKey(RegistryRoot::ClassesRoot, kMimeDatabaseKey + contentType, false);
  if (!key) return std::string();
  const std::optional<RegistryValue> value = key->ReadValue("Extension");
  return value ? StringOf(*value).value_or(std::string()) : std::string();
}

void TFolderExpansion::AddHostNodes(const TEntryList& list, TTreeNode* parent) {
  if (!parent) return;
  TNameList hosts;
  for (const TEntryItem& item : list.Items()) {
    const std::string& url = item.Key;
    if (url.size() <= std::max(kHttpPrefix.size(), WebSchemeLength(url))) continue;
    const std::optional<UrlParts> parts = FCache.SplitURL(url);
    const std::string host = parts ? parts->Host : std::string();
    if (hosts.Contains(host)) continue;
    hosts.Add(host);
    TTreeNode* hostNode = FTree.AddFolderChild(parent, TNodeKind::Host, host, host);
    // A host without a name (none in its URL, or a URL that could not be split) is never expanded: an empty
    // node key yields no children, so it gets no placeholder.
    if (!host.empty()) FTree.AddChild(hostNode, TNodeKind::Placeholder, kPlaceholderCaption, kImageFolderClosed);
  }
}

void TFolderExpansion::ExpandFolder(const TEntryList& list, TTreeNode* node) {
  if (!node->HasChildren() || node->Child(0)->Kind() != TNodeKind::Placeholder) return;
  FTree.Delete(node->Child(0));
  if (list.Empty()) return;
  const std::string& key = node->Key();
  const std::string prefix = NodePrefix(key);
  TNameList folders;
  FTree.BeginUpdate();
  for (std::size_t i = FindFirstIndex(key, list); i < list.Count(); ++i) {
    const TEntryItem& item = list[i];
    if (!item.Info) continue;  // a deleted entry keeps its place in the list but lies under no node
    const TEntryPlace place = ClassifyEntry(key, item.Key);
    if (place == TEntryPlace::epOutside) break;
    if (place == TEntryPlace::epInFolder) {
      AddFileNode(list, i, node);
      continue;
    }
    const std::string name = SubfolderName(prefix, item.Key);
    if (folders.Contains(name)) continue;
    folders.Add(name);
    TTreeNode* folder = FTree.AddFolderChild(node, TNodeKind::Folder, name, prefix + name);
    FTree.AddChild(folder, TNodeKind::Placeholder, kPlaceholderCaption, kImageFolderClosed);
  }
  FTree.EndUpdate();
}

void TFolderExpansion::AddFileNode(const TEntryList& list, std::size_t index, TTreeNode* node) {
  TURLInfo& info = *list[index].Info;
  CaptionFile(info);
  const int image = FIcons.GetIconIndex(FIcons.ExtensionForContentType(info.ContentType));
  FTree.AddFileChild(node, info.DisplayName, index, image);
}

void TFolderExpansion::CaptionFile(TURLInfo& info) {
  if (!info.DisplayName.empty()) return;
  if (std::optional<std::string> caption = FileCaptionOf(FCache, info, FConverter)) {
    info.DisplayName = std::move(*caption);
  }
}

}  // namespace hoardscope
