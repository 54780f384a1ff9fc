// TfrmSearch: the Search dialog's logic and its history of search texts, and the search request it hands back to
// the Search action of its view.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/ports/Registry.h"

namespace hoardscope {

enum class TDateChoice { dcAll, dcToday, dcThisWeek, dcThisMonth };

struct TSearchRequest {
  bool Accepted = false;
  std::string Text;
  bool CaseSensitive = false;
  TDateChoice DateChoice = TDateChoice::dcAll;
  bool WholeCache = false;  // kept across showings of the dialog
};

inline constexpr const char* kSearchHistoryKey = "Software\\Pellix\\Hoardscope\\Search History";
inline constexpr int kHistorySize = 256;

struct TRadioState {
  bool Checked = false;
  bool Enabled = true;
};

class TfrmSearch {
 public:
  // The dialog of a view: the history lives in registry, the answer goes to the view's request.
  TfrmSearch(IRegistry& registry, TSearchRequest& request);

  // Controls, as the dialog shows them.
  std::vector<std::string> cbSearchItems;  // the history, newest first
  std::string cbSearchText;
  bool chkSense = false;
  bool CheckBox1 = true;  // "Access all files"
  TRadioState rbToday{false, false};
  TRadioState rbThisWeek{false, false};
  TRadioState rbThisMonth{false, false};
  bool rbFEntireCache = false;
  bool rbFUnderFolder = false;

  void FormShow();
  // Search pressed: hands the request back and adds the text to the history. The dialog then closes.
  void btnSearchClick();
  // "Access all files" ticked or cleared.
  void CheckBox1Click();
  void rbTodayClick();
  void rbThisWeekClick();
  void rbThisMonthClick();
  void rbFEntireCacheClick();
  void rbFUnderFolderClick();

  void LoadSearchHistory();
  void AddSearchHistory(const std::string& text);
  int HistoryCount() const { return FHistoryCount; }

 private:
  // The number a new text is stored under: the one after the texts counted when it is free, else the lowest free
  // one; 0 when every number of the history is taken.
  int FreeHistoryNumber(IRegistryKey& key) const;

  IRegistry& FRegistry;
  TSearchRequest& FRequest;
  int FHistoryCount = 0;
};

}  // namespace hoardscope
