// Building the tree from an entry list: the host level, and the lazy expansion of a host or folder into its
// subfolders and its files with their captions and file-type icons.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/EntryList.h"
#include "core/TreeModel.h"
#include "platform/ports/Registry.h"
#include "platform/ports/Shell.h"
#include "platform/ports/TextConverter.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

inline constexpr std::size_t kIconSlots = 512;

// Images of ImageList1.
inline constexpr int kImageFolderClosed = 0;
inline constexpr int kImageFolderOpen = 1;
inline constexpr int kImageRoot = 2;
inline constexpr int kImageSearch = 3;

// The file-type icons of the image list: one slot per extension (A-Z folded), asked of the shell once, in the
// slots the shell gives; keys names each slot's extension, " " for a free one.
class TFileIcons {
 public:
  TFileIcons(IShell& shell, IRegistry& registry, std::vector<std::string>& keys);
  // The slot of the extension's icon; when every slot is taken, that of files without type; -1 when the shell
  // gives none.
  int GetIconIndex(const std::string& extension);
  // The extension the MIME database registers for a content type; empty when it has none.
  std::string ExtensionForContentType(const std::string& contentType);

 private:
  IShell& FShell;
  IRegistry& FRegistry;
  std::vector<std::string>& FKeys;
  std::unordered_map<std::string, int> FSlotOf;  // the keys' extensions, folded, to their slots
};

class TFolderExpansion {
 public:
  // Converter may be null (see FileCaptionOf).
  TFolderExpansion(IUrlCache& cache, ITextConverter* converter, TFileIcons& icons, TTreeModel& tree)
      : FCache(cache), FConverter(converter), FIcons(icons), FTree(tree) {}

  // One node per host of the list under parent (none without a parent), each with a placeholder child that its
  // expansion replaces; the caller sorts them.
  void AddHostNodes(const TEntryList& list, TTreeNode* parent);
  // Replaces the placeholder of a host or folder node with its subfolders (each with a placeholder) and its
  // files; a node without a placeholder was expanded before and stays as it is.
  void ExpandFolder(const TEntryList& list, TTreeNode* node);
  // Gives the record its caption (DisplayName) as its file node shows it, unless it has one already.
  void CaptionFile(TURLInfo& info);

 private:
  void AddFileNode(const TEntryList& list, std::size_t index, TTreeNode* node);

  IUrlCache& FCache;
  ITextConverter* FConverter;
  TFileIcons& FIcons;
  TTreeModel& FTree;
};

}  // namespace hoardscope
