// The Options dialog's logic.
#include "settings/Options.h"

#include "settings/SettingsStore.h"

namespace hoardscope {

void TfrmOptions::FormShow() {
  const TSettings& settings = FSettings;
  edExtText = settings.ExtStr;
  ActivePage = settings.FilterType ? kPageByFileExt : kPageByFileTypes;
  FRecordedMode = settings.FilterType;
  SetShowAll(!settings.UseFilter);
  PageControlEnabled = settings.UseFilter;
  chbShowMedia.Checked = settings.FilterClasses.Contains(TFilterClass::fcMedia);
  chkShowText.Checked = settings.FilterClasses.Contains(TFilterClass::fcText);
  chkShowPic.Checked = settings.FilterClasses.Contains(TFilterClass::fcPicture);
  Changed = false;
}

void TfrmOptions::SetShowAll(bool checked) {
  if (chkShowAll.Checked == checked) return;
  chkShowAll.Checked = checked;
  chkShowAllClick();
}

void TfrmOptions::chkShowAllClick() {
  const bool filtering = !chkShowAll.Checked;
  PageControlEnabled = filtering;
  chbShowMedia.Enabled = filtering;
  chkShowText.Enabled = filtering;
  chkShowPic.Enabled = filtering;
  edExtEnabled = filtering;
}

void TfrmOptions::PageControl1Change(int activePage) {
  ActivePage = activePage;
  FRecordedMode = activePage != kPageByFileTypes;
}

void TfrmOptions::btnOKClick() {
  TSettings& settings = FSettings;
  settings.FilterClasses = TFilterClasses();
  if (chbShowMedia.Checked) settings.FilterClasses.Include(TFilterClass::fcMedia);
  if (chkShowText.Checked) settings.FilterClasses.Include(TFilterClass::fcText);
  if (chkShowPic.Checked) settings.FilterClasses.Include(TFilterClass::fcPicture);
  settings.UseFilter = !chkShowAll.Checked;
  settings.ExtStr = edExtText.empty() ? "*.*" : edExtText;
  settings.FilterType = FRecordedMode;
  // The new filter applies even when the store refuses to keep it; the refusal still reaches the caller.
  Changed = true;
  WriteTypeFilter(FRegistry, MaskFromClasses(settings.FilterClasses), settings.UseFilter);
  WriteExtFilter(FRegistry, settings.ExtStr, settings.FilterType);
}

}  // namespace hoardscope
