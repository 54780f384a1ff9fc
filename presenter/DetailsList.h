// The details list: one row per cached file below the selected node, with its columns, the order the user sorts
// them in and the rows the user selected. The presenter owns it (State().Details); the views only draw it, a cell
// at a time, and the report writes the same rows.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/EntryList.h"
#include "core/TreeModel.h"
#include "core/URLInfo.h"
#include "presenter/FolderExpansion.h"

namespace hoardscope {

enum class TDetailsColumn { Url, Caption, ContentType, Size, TimeCached, LastAccess, Expiry, Status, Server };

inline constexpr std::size_t kDetailsColumnCount = 9;

// The columns in their order on screen, and their titles.
extern const std::array<TDetailsColumn, kDetailsColumnCount> kDetailsColumns;
const char* DetailsColumnTitle(TDetailsColumn column);

struct TDetailsRow {
  std::size_t Index = 0;           // the entry's index in the list it comes from
  std::shared_ptr<TURLInfo> Info;  // its record; its DisplayName is the caption its file node shows
  bool Selected = false;
};

// A sort key: a column and its direction.
struct TDetailsSortKey {
  TDetailsColumn Column = TDetailsColumn::Url;
  bool Descending = false;
  bool operator==(const TDetailsSortKey&) const = default;
};

// The rows of the listed files below a node, in the list's order, each captioned as its file node is: a host's or
// a folder's files at every depth, a file's own entry, every entry of the list for the root or the "Search Result"
// branch. The one source of the details list's rows and of a report's.
std::vector<TDetailsRow> DetailsRowsUnder(const TEntryList& list, const TTreeNode& node, TFolderExpansion& captions);

// A cell of a record: the size in bytes, times in ISO 8601 UTC, the status code; empty for a time or a status that
// was not stored (0).
std::string DetailsCellText(const TURLInfo& info, TDetailsColumn column);

// What the Properties of a cached file say: its URL, caption, type, size, local copy, times, status and server,
// then the response headers as stored (headers: empty when none were).
std::string EntryPropertiesText(const TURLInfo& info, const std::string& headers);

class TDetailsList {
 public:
  // Shows these rows (in a list's order), sorted by the keys the user chose; none is selected.
  void Fill(std::vector<TDetailsRow> rows, bool fromSearch);
  void Clear() { Fill({}, false); }

  // A click on a column's header. Without shift the column becomes the first key, ascending, and the second key
  // goes; a click on the first key's column flips its direction. With shift the column becomes the second key, or
  // flips it when it is that already (on the first key's column, or without a first key, shift changes nothing of
  // what a click does). Rows with equal keys stay in the list's order.
  void ClickColumn(TDetailsColumn column, bool shift);
  // Selects exactly the rows at these positions; positions past the end are passed over.
  void Select(const std::vector<std::size_t>& positions);

  std::size_t Count() const { return FRows.size(); }
  bool Empty() const { return FRows.empty(); }
  const TDetailsRow& operator[](std::size_t position) const { return FRows[position]; }
  const std::vector<TDetailsRow>& Rows() const { return FRows; }
  std::string CellText(std::size_t position, TDetailsColumn column) const;
  // Whether the rows come from the search's list (below the "Search Result" branch) rather than the entry list.
  bool FromSearch() const { return FFromSearch; }
  const std::optional<TDetailsSortKey>& FirstKey() const { return FFirstKey; }
  const std::optional<TDetailsSortKey>& SecondKey() const { return FSecondKey; }
  // The positions of the selected rows, in the rows' order, and the entry indexes they show.
  std::vector<std::size_t> SelectedPositions() const;
  std::vector<std::size_t> SelectedIndexes() const;

 private:
  void Sort();

  std::vector<TDetailsRow> FRows;
  bool FFromSearch = false;
  std::optional<TDetailsSortKey> FFirstKey;
  std::optional<TDetailsSortKey> FSecondKey;
};

}  // namespace hoardscope
