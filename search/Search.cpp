// The Search dialog's logic and the search history under "Search History".
#include "search/Search.h"

#include "core/Tools.h"

namespace hoardscope {
namespace {

std::string HistoryName(int number) { return "key" + std::to_string(number); }

}  // namespace

TfrmSearch::TfrmSearch(IRegistry& registry, TSearchRequest& request) : FRegistry(registry), FRequest(request) {}

void TfrmSearch::FormShow() {
  cbSearchItems.clear();
  FRequest.Accepted = false;
  LoadSearchHistory();
  if (!cbSearchItems.empty()) cbSearchText = cbSearchItems.front();
  FRequest.DateChoice = TDateChoice::dcAll;
  if (FRequest.WholeCache) {
    rbFEntireCache = true;
    rbFEntireCacheClick();
  } else {
    rbFUnderFolder = true;
    rbFUnderFolderClick();
  }
}

void TfrmSearch::btnSearchClick() {
  FRequest.Text = cbSearchText;
  FRequest.CaseSensitive = chkSense;
  FRequest.Accepted = true;
  AddSearchHistory(FRequest.Text);
}

void TfrmSearch::CheckBox1Click() {
  rbToday.Enabled = rbThisWeek.Enabled = rbThisMonth.Enabled = !CheckBox1;
  TDateChoice& choice = FRequest.DateChoice;
  if (CheckBox1 || !(rbToday.Checked || rbThisWeek.Checked || rbThisMonth.Checked)) {
    choice = TDateChoice::dcAll;
  } else {
    choice = rbToday.Checked ? TDateChoice::dcToday
                             : (rbThisWeek.Checked ? TDateChoice::dcThisWeek : TDateChoice::dcThisMonth);
  }
}

void TfrmSearch::rbTodayClick() {
  if (rbToday.Checked) FRequest.DateChoice = TDateChoice::dcToday;
}

void TfrmSearch::rbThisWeekClick() {
  if (rbThisWeek.Checked) FRequest.DateChoice = TDateChoice::dcThisWeek;
}

void TfrmSearch::rbThisMonthClick() {
  if (rbThisMonth.Checked) FRequest.DateChoice = TDateChoice::dcThisMonth;
}

void TfrmSearch::rbFEntireCacheClick() { FRequest.WholeCache = true; }

void TfrmSearch::rbFUnderFolderClick() { FRequest.WholeCache = false; }

void TfrmSearch::LoadSearchHistory() {
  FHistoryCount = 0;
  try {
    const std::unique_ptr<IRegistryKey> key = FRegistry.OpenKey(RegistryRoot::LocalMachine, kSearchHistoryKey, false);
    if (!key) return;
    for (int number = kHistorySize; number >= 1; --number) {
      const std::optional<RegistryValue> value = key->ReadValue(HistoryName(number));
      const std::optional<std::string> text = value ? StringOf(*value) : std::nullopt;
      if (!text) continue;
      ++FHistoryCount;
      cbSearchItems.push_back(*text);
    }
  } catch (const std::exception&) {
    // A history that cannot be read offers nothing; the dialog says nothing about it.
  }
}

int TfrmSearch::FreeHistoryNumber(IRegistryKey& key) const {
  const auto isFree = [&key](int number) { return !key.ReadValue(HistoryName(number)); };
  if (FHistoryCount < kHistorySize && isFree(FHistoryCount + 1)) return FHistoryCount + 1;
  // The stored numbers have gaps, so the next one is taken: the lowest free number keeps every stored text.
  for (int number = 1; number <= kHistorySize; ++number) {
    if (isFree(number)) return number;
  }
  return 0;
}

void TfrmSearch::AddSearchHistory(const std::string& text) {
  const std::string folded = UpperAscii(text);
  for (const std::string& item : cbSearchItems) {
    if (UpperAscii(item) == folded) return;
  }
  try {
    const std::unique_ptr<IRegistryKey> key = FRegistry.OpenKey(RegistryRoot::LocalMachine, kSearchHistoryKey, true);
    if (!key) return;
    if (const int number = FreeHistoryNumber(*key)) {
      key->WriteValue(MakeStringValue(HistoryName(number), text));
      return;
    }
    // A full history: every text moves down one number, the oldest is dropped, the new one becomes the newest.
    for (int number = 1; number < kHistorySize; ++number) {
      const std::optional<RegistryValue> newer = key->ReadValue(HistoryName(number + 1));
      if (newer) key->WriteValue(MakeStringValue(HistoryName(number), StringOf(*newer).value_or(std::string())));
    }
    key->WriteValue(MakeStringValue(HistoryName(kHistorySize), text));
  } catch (const std::exception&) {
    // A history that cannot be written keeps what it had; the search goes on.
  }
}

}  // namespace hoardscope
