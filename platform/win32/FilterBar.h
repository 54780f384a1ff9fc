// TWinFilterBar: the Windows bar's quick filter above the tree, a child dialog (IDD_FILTERBAR) with the URL text,
// the "Cached" choice, the least and largest size and a Clear button. The fields are applied together when the
// user presses Enter in an edit, picks another choice or clears them; not on every keystroke, since each
// application reloads the view.
#pragma once

#include <windows.h>

#include <functional>

#include "settings/QuickFilter.h"

namespace hoardscope {

class TWinFilterBar {
 public:
  // Creates the bar as a visible child of parent; applied runs each time the user applies its fields. Raises
  // std::runtime_error when the window cannot be created.
  TWinFilterBar(HWND parent, std::function<void()> applied);
  ~TWinFilterBar();
  TWinFilterBar(const TWinFilterBar&) = delete;
  TWinFilterBar& operator=(const TWinFilterBar&) = delete;

  HWND Window() const { return FWindow; }
  // The bar's height in pixels, as its template lays it out.
  int Height() const { return FHeight; }
  // What the fields hold.
  TFilterBarFields Fields() const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
  void OnCommand(int id, int code);
  // Fits the fields to the bar's width: the URL edit, the choice and the two size edits take what the pane gives,
  // the Clear button and the labels keep their sizes.
  void Arrange(int width);
  void Clear();

  HWND FWindow = nullptr;
  int FHeight = 0;
  std::function<void()> FApplied;
};

}  // namespace hoardscope
