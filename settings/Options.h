// TfrmOptions: the Options dialog's logic. The dialog window mirrors these control states and calls the handlers;
// only OK changes the settings.
#pragma once

#include <string>

#include "platform/ports/Registry.h"
#include "settings/UnitReg.h"

namespace hoardscope {

struct TCheckBoxState {
  bool Checked = false;
  bool Enabled = true;
};

class TfrmOptions {
 public:
  // The dialog of a view with these settings, kept in this registry.
  TfrmOptions(TSettings& settings, IRegistry& registry) : FSettings(settings), FRegistry(registry) {}

  static constexpr int kPageByFileTypes = 0;
  static constexpr int kPageByFileExt = 1;

  // Controls, as the dialog shows them.
  TCheckBoxState chkShowAll;
  TCheckBoxState chkShowText;
  TCheckBoxState chkShowPic;
  TCheckBoxState chbShowMedia;
  int ActivePage = kPageByFileTypes;  // PageControl1
  bool PageControlEnabled = true;
  std::string edExtText;
  bool edExtEnabled = true;

  // True once OK stored new settings.
  bool Changed = false;

  // Fills the controls from the settings.
  void FormShow();
  // The "Show all items" box was ticked or cleared.
  void chkShowAllClick();
  // The user switched to another page: it decides the mode that OK will store.
  void PageControl1Change(int activePage);
  // Stores the controls' state in the settings (in memory and in the registry).
  void btnOKClick();

 private:
  void SetShowAll(bool checked);

  TSettings& FSettings;
  IRegistry& FRegistry;
  bool FRecordedMode = false;  // the filter mode OK stores: true = by extension
};

}  // namespace hoardscope
