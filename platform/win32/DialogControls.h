// Small helpers of the dialog windows: reading and setting the state of a dialog's controls by identifier, and
// running a dialog resource over the portable logic of its form.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "core/Boundary.h"
#include "platform/win32/WinImageLists.h"

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

// A dialog's answer to one message over its logic: WM_INITDIALOG's return value, or whether it handled the message.
template <class TLogic>
using TDialogHandler = BOOL (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, TLogic& logic);

template <class TLogic>
struct TDialogRun {
  TLogic& Logic;
  std::exception_ptr Failure;
};

// An error raised inside the dialog never crosses the system's callback: it closes the dialog and is kept.
template <class TLogic, TDialogHandler<TLogic> Handler>
INT_PTR CALLBACK LogicDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  auto* run = reinterpret_cast<TDialogRun<TLogic>*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!run) return FALSE;
  return CatchAll([&] { return Handler(dialog, message, wParam, lParam, run->Logic); },
                  [&](const char*) {
                    run->Failure = std::current_exception();
                    EndDialog(dialog, IDCANCEL);
                    return BOOL{TRUE};
                  });
}

// Shows the dialog resource modally over logic; an error raised inside it is raised again once it is closed.
template <class TLogic, TDialogHandler<TLogic> Handler>
void RunLogicDialog(HWND owner, int resource, TLogic& logic) {
  TDialogRun<TLogic> run{logic, nullptr};
  DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(resource), owner, LogicDialogProc<TLogic, Handler>,
                  reinterpret_cast<LPARAM>(&run));
  if (run.Failure) std::rethrow_exception(run.Failure);
}

}  // namespace hoardscope
