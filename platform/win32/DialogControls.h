// Small helpers of the dialog windows: reading and setting the state of a dialog's controls by identifier.
#pragma once

#include <windows.h>

#include <string>

namespace hoardscope {

inline bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

inline void ShowControlState(HWND dialog, int id, bool checked, bool enabled) {
  CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(dialog, id), enabled);
}

inline std::string ControlText(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace hoardscope
