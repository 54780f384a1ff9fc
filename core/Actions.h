// The view's actions (ActionList1) and its two drop-down menus, as data the widgets render.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace hoardscope {

enum class TActionId {
  aLVCopyURL, aLVDelete, alOption, alSearch, alClearSearch, alImport, alExport, alSaveReport, alHelp, alAbout
};

inline constexpr std::size_t kActionCount = 10;

// Shortcut values: key code plus 16384 for Ctrl.
inline constexpr int kShortCutNone = 0;
inline constexpr int kShortCutDel = 46;
inline constexpr int kShortCutCtrlO = 16463;
inline constexpr int kShortCutCtrlS = 16467;
inline constexpr int kShortCutCtrlI = 16457;
inline constexpr int kShortCutF1 = 112;

// Modifier flags of a stored shortcut value, added to the key code.
inline constexpr int kShortCutShift = 0x2000;
inline constexpr int kShortCutCtrl = 0x4000;
inline constexpr int kShortCutAlt = 0x8000;

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
  // The action that a key with these modifiers runs, if any (enabled or not).
  std::optional<TActionId> ActionForShortCut(int shortCut) const;

 private:
  std::array<TAction, kActionCount> FActions;
};

// The stored shortcut value of a key press: the virtual key code plus the flags of the held modifiers.
int ShortCutOf(int keyCode, bool shift, bool ctrl, bool alt);
// The text a menu shows beside an entry for its shortcut ("Del", "Ctrl+O", "F1"); empty for none.
std::string ShortCutText(int shortCut);

// A menu entry bound to an action, or a separator.
struct TMenuEntry {
  const char* Name;
  std::optional<TActionId> Action;
};

// pmenuLV, the "&Files" drop-down menu.
extern const std::array<TMenuEntry, 10> kFilesMenu;
// pmenuHelp, the "&Help" drop-down menu.
extern const std::array<TMenuEntry, 3> kHelpMenu;

}  // namespace hoardscope
