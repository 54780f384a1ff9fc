// The view's actions (ActionList1) and its two drop-down menus, as data the widgets render.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace hoardscope {

enum class TActionId { aLVCopyURL, aLVDelete, alOption, alSearch, alClearSearch, alImport, alExport, alHelp, alAbout };

inline constexpr std::size_t kActionCount = 9;

// Shortcut values: key code plus 16384 for Ctrl.
inline constexpr int kShortCutNone = 0;
inline constexpr int kShortCutDel = 46;
inline constexpr int kShortCutCtrlO = 16463;
inline constexpr int kShortCutCtrlS = 16467;
inline constexpr int kShortCutCtrlI = 16457;
inline constexpr int kShortCutF1 = 112;

struct TAction {
  TActionId Id;
  const char* Name;
  const char* Caption;
  int ShortCut;
  int ImageIndex;  // into ImageList3
  bool Enabled;
};

class TActionList {
 public:
  TActionList();
  const TAction& operator[](TActionId id) const { return FActions[static_cast<std::size_t>(id)]; }
  void SetEnabled(TActionId id, bool enabled) { FActions[static_cast<std::size_t>(id)].Enabled = enabled; }
  const std::array<TAction, kActionCount>& All() const { return FActions; }

 private:
  std::array<TAction, kActionCount> FActions;
};

// A menu entry bound to an action, or a separator.
struct TMenuEntry {
  const char* Name;
  std::optional<TActionId> Action;
};

// pmenuLV, the "&Files" drop-down menu.
extern const std::array<TMenuEntry, 9> kFilesMenu;
// pmenuHelp, the "&Help" drop-down menu.
extern const std::array<TMenuEntry, 3> kHelpMenu;

}  // namespace hoardscope
