// The export file: fixed records of 1032 bytes, one per exported copy (its path, the entry's URL, time and
// response headers), with no header and no trailer.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/URLInfo.h"

namespace hoardscope {

inline constexpr std::size_t kExportRecordSize = 1032;
inline constexpr std::size_t kFileNameField = 256;
inline constexpr std::size_t kUrlField = 256;
inline constexpr std::size_t kHeadersField = 512;

struct TExportRecord {
  std::string FileName;
  std::string URL;
  double SyncTime = 0;  // days since 1899-12-30 with the fraction of the day, of the UTC calendar time
  std::string Headers;
};

using TExportRecordBytes = std::array<char, kExportRecordSize>;

// The export file's ending; its export folder is the file's path without it.
inline constexpr std::string_view kExportExtension = ".hef";
// Whether a file name ends in ".hef" in any letter case, with something before it.
bool HasExportExtension(std::string_view fileName);

// Whether a text fits its field together with the NUL that ends it.
bool FitsField(const std::string& text, std::size_t fieldSize);
// The header text as a record holds it: all of it when it fits, else its whole lines (each with its CR LF) that
// fit in the field before the NUL.
std::string FitHeaders(const std::string& headers);

// The record's bytes: each text, a NUL, then spaces to the end of its field. The texts must fit (FitsField).
TExportRecordBytes EncodeExportRecord(const TExportRecord& record);
// A record as a reader takes it: each text up to its first NUL (or the whole field), trimmed of characters of
// code 32 and below at both ends.
TExportRecord DecodeExportRecord(std::span<const char, kExportRecordSize> bytes);

// The calendar time as days since 1899-12-30 (before that day the fraction counts backwards), and back.
double DateTimeFromSystemTime(const TSystemTime& time);
// nullopt for values no calendar time can hold (NaN, infinite, before year 1 or after 9999).
std::optional<TSystemTime> SystemTimeFromDateTime(double dateTime);

}  // namespace hoardscope
