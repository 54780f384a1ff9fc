// The details list's rows, their cells and their order.
#include "presenter/DetailsList.h"

#include <algorithm>
#include <cstdint>

#include "core/TimeText.h"
#include "core/Tools.h"
#include "core/TreeRules.h"

namespace hoardscope {
namespace {

constexpr const char* kLineBreak = "\r\n";

FileTime TimeCachedOf(const TURLInfo& info) { return FileTimeFromSystemTime(info.SyncTime); }

std::string TimeText(FileTime time) { return time == 0 ? std::string() : FileTimeToText(time); }

// <0, 0 or >0 as a goes before, with or after b in the column's ascending order.
int CompareBy(TDetailsColumn column, const TURLInfo& a, const TURLInfo& b) {
  const auto compareNumbers = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  switch (column) {
    case TDetailsColumn::Url: return CompareKeys(a.SourceUrl, b.SourceUrl);
    case TDetailsColumn::Caption: return CompareKeys(a.DisplayName, b.DisplayName);
    case TDetailsColumn::ContentType: return CompareKeys(a.ContentType, b.ContentType);
    case TDetailsColumn::Size: return compareNumbers(a.Size, b.Size);
    case TDetailsColumn::TimeCached: return compareNumbers(TimeCachedOf(a), TimeCachedOf(b));
    case TDetailsColumn::LastAccess: return compareNumbers(a.LastAccessTime, b.LastAccessTime);
    case TDetailsColumn::Expiry: return compareNumbers(a.ExpireTime, b.ExpireTime);
    case TDetailsColumn::Status: return compareNumbers(a.StatusCode, b.StatusCode);
    case TDetailsColumn::Server: return CompareKeys(a.Server, b.Server);
  }
  return 0;
}

int CompareByKey(const std::optional<TDetailsSortKey>& key, const TURLInfo& a, const TURLInfo& b) {
  if (!key) return 0;
  const int order = CompareBy(key->Column, a, b);
  return key->Descending ? -order : order;
}

}  // namespace

const std::array<TDetailsColumn, kDetailsColumnCount> kDetailsColumns{
    TDetailsColumn::Url,        TDetailsColumn::Caption,    TDetailsColumn::ContentType,
    TDetailsColumn::Size,       TDetailsColumn::TimeCached, TDetailsColumn::LastAccess,
    TDetailsColumn::Expiry,     TDetailsColumn::Status,     TDetailsColumn::Server};

const char* DetailsColumnTitle(TDetailsColumn column) {
  switch (column) {
    case TDetailsColumn::Url: return "URL";
    case TDetailsColumn::Caption: return "Caption";
    case TDetailsColumn::ContentType: return "Content Type";
    case TDetailsColumn::Size: return "Size";
    case TDetailsColumn::TimeCached: return "Time Cached";
    case TDetailsColumn::LastAccess: return "Last Access";
    case TDetailsColumn::Expiry: return "Expiry";
    case TDetailsColumn::Status: return "Status";
    case TDetailsColumn::Server: return "Server";
  }
  return "";
}

std::vector<TDetailsRow> DetailsRowsUnder(const TEntryList& list, const TTreeNode& node, TFolderExpansion& captions) {
  std::vector<std::size_t> indexes;
  switch (node.Kind()) {
    case TNodeKind::Root:
    case TNodeKind::Search: indexes = EntryIndexesUnder(list, std::string()); break;
    case TNodeKind::Host:
    case TNodeKind::Folder:
      if (!node.Key().empty()) indexes = EntryIndexesUnder(list, node.Key());
      break;
    case TNodeKind::File:
      if (node.EntryIndex() < list.Count() && list[node.EntryIndex()].Info) indexes.push_back(node.EntryIndex());
      break;
    case TNodeKind::Placeholder: break;
  }
  std::vector<TDetailsRow> rows;
  rows.reserve(indexes.size());
  for (const std::size_t index : indexes) {
    captions.CaptionFile(*list[index].Info);
    rows.push_back({index, list[index].Info});
  }
  return rows;
}

std::string DetailsCellText(const TURLInfo& info, TDetailsColumn column) {
  switch (column) {
    case TDetailsColumn::Url: return info.SourceUrl;
    case TDetailsColumn::Caption: return info.DisplayName;
    case TDetailsColumn::ContentType: return info.ContentType;
    case TDetailsColumn::Size: return std::to_string(info.Size);
    case TDetailsColumn::TimeCached: return TimeText(TimeCachedOf(info));
    case TDetailsColumn::LastAccess: return TimeText(info.LastAccessTime);
    case TDetailsColumn::Expiry: return TimeText(info.ExpireTime);
    case TDetailsColumn::Status: return info.StatusCode == 0 ? std::string() : std::to_string(info.StatusCode);
    case TDetailsColumn::Server: return info.Server;
  }
  return std::string();
}

std::string EntryPropertiesText(const TURLInfo& info, const std::string& headers) {
  std::string text;
  const auto addLine = [&text](const std::string& label, const std::string& value) {
    text += label + ": " + (value.empty() ? "none" : value) + kLineBreak;
  };
  const auto addColumn = [&](TDetailsColumn column) {
    addLine(DetailsColumnTitle(column), DetailsCellText(info, column));
  };
  addColumn(TDetailsColumn::Url);
  addColumn(TDetailsColumn::Caption);
  addColumn(TDetailsColumn::ContentType);
  addLine("Size", DetailsCellText(info, TDetailsColumn::Size) + " bytes");
  addLine("Local Copy", info.LocalFile);
  for (const TDetailsColumn column : {TDetailsColumn::TimeCached, TDetailsColumn::LastAccess, TDetailsColumn::Expiry,
                                      TDetailsColumn::Status, TDetailsColumn::Server}) {
    addColumn(column);
  }
  text += kLineBreak;
  if (headers.empty()) return text + "No response headers were stored.";
  return text + "Response Headers:" + kLineBreak + headers;
}

void TDetailsList::Fill(std::vector<TDetailsRow> rows, bool fromSearch) {
  FRows = std::move(rows);
  FFromSearch = fromSearch;
  for (TDetailsRow& row : FRows) row.Selected = false;
  Sort();
}

void TDetailsList::ClickColumn(TDetailsColumn column, bool shift) {
  const auto flipped = [](TDetailsSortKey key) {
    key.Descending = !key.Descending;
    return key;
  };
  if (shift && FFirstKey && FFirstKey->Column != column) {
    FSecondKey = FSecondKey && FSecondKey->Column == column ? flipped(*FSecondKey) : TDetailsSortKey{column, false};
  } else if (FFirstKey && FFirstKey->Column == column) {
    FFirstKey = flipped(*FFirstKey);
  } else {
    FFirstKey = TDetailsSortKey{column, false};
    FSecondKey.reset();
  }
  Sort();
}

void TDetailsList::Select(const std::vector<std::size_t>& positions) {
  for (TDetailsRow& row : FRows) row.Selected = false;
  for (const std::size_t position : positions) {
    if (position < FRows.size()) FRows[position].Selected = true;
  }
}

std::string TDetailsList::CellText(std::size_t position, TDetailsColumn column) const {
  if (position >= FRows.size() || !FRows[position].Info) return std::string();
  return DetailsCellText(*FRows[position].Info, column);
}

std::vector<std::size_t> TDetailsList::SelectedPositions() const {
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < FRows.size(); ++i) {
    if (FRows[i].Selected) positions.push_back(i);
  }
  return positions;
}

std::vector<std::size_t> TDetailsList::SelectedIndexes() const {
  std::vector<std::size_t> indexes;
  for (const TDetailsRow& row : FRows) {
    if (row.Selected) indexes.push_back(row.Index);
  }
  return indexes;
}

void TDetailsList::Sort() {
  // The list's order (the entry indexes) breaks every tie, so the order never depends on the sorts before.
  std::sort(FRows.begin(), FRows.end(), [this](const TDetailsRow& a, const TDetailsRow& b) {
    if (const int first = CompareByKey(FFirstKey, *a.Info, *b.Info); first != 0) return first < 0;
    if (const int second = CompareByKey(FSecondKey, *a.Info, *b.Info); second != 0) return second < 0;
    return a.Index < b.Index;
  });
}

}  // namespace hoardscope
