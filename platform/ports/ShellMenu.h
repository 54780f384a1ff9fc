// The shell's context menu of a file-system object: the menu the desktop's file manager would show for it, with
// the view's own items appended, opened at the mouse pointer and owned by the view's window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hoardscope {

// Identifiers handed to the shell's entries.
inline constexpr std::uint32_t kFirstShellCommand = 1;
inline constexpr std::uint32_t kLastShellCommand = 0x7FFF;
// The view's own items lie above that range, so that no shell entry can be taken for one of them.
inline constexpr std::uint32_t kCopyURLCommand = 0x8000 + 1026;
inline constexpr std::uint32_t kExportFilesCommand = 0x8000 + 1027;
inline constexpr std::uint32_t kEntryPropertiesCommand = 0x8000 + 1028;

struct TOwnMenuItem {
  std::uint32_t Command = 0;
  std::string Caption;
};

struct TShellMenuChoice {
  enum class TKind { Nothing, OwnItem, ShellCommand };
  TKind Kind = TKind::Nothing;
  std::uint32_t Command = 0;  // the own item's identifier
};

class IShellMenu {
 public:
  virtual ~IShellMenu() = default;

  // Finds the object at path in the shell's namespace and opens its menu, followed by a separator and the own
  // items. A chosen shell entry is carried out before this returns (the shell tells the user of its failure
  // itself); a chosen own item is only reported. Nothing is shown when the object cannot be found. Throws
  // std::runtime_error when the menu cannot be built.
  virtual TShellMenuChoice TrackContextMenu(const std::string& path, const std::vector<TOwnMenuItem>& ownItems) = 0;
};

}  // namespace hoardscope
