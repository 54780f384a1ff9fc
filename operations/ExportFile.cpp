// Encoding and decoding export records, and the date-time values they hold.
#include "operations/ExportFile.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr std::size_t kUrlOffset = kFileNameField;
constexpr std::size_t kSyncTimeOffset = kUrlOffset + kUrlField;
constexpr std::size_t kHeadersOffset = kSyncTimeOffset + 8;
constexpr std::int64_t kDaysFrom1601To1899 = 109205;  // 1601-01-01 to 1899-12-30
constexpr double kMillisPerDay = 86400000.0;

void PutText(TExportRecordBytes& bytes, std::size_t offset, std::size_t size, const std::string& text) {
  std::memset(bytes.data() + offset, ' ', size);
  std::memcpy(bytes.data() + offset, text.data(), text.size());
  bytes[offset + text.size()] = '\0';
}

std::string TakeText(std::span<const char, kExportRecordSize> bytes, std::size_t offset, std::size_t size) {
  std::string_view field(bytes.data() + offset, size);
  field = field.substr(0, field.find('\0'));
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!field.empty() && isBlank(field.front())) field.remove_prefix(1);
  while (!field.empty() && isBlank(field.back())) field.remove_suffix(1);
  return std::string(field);
}

void PutDouble(TExportRecordBytes& bytes, std::size_t offset, double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, 8);
  for (int i = 0; i < 8; ++i) bytes[offset + i] = static_cast<char>(bits >> (8 * i));
}

double TakeDouble(std::span<const char, kExportRecordSize> bytes, std::size_t offset) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  double value;
  std::memcpy(&value, &bits, 8);
  return value;
}

}  // namespace

bool HasExportExtension(std::string_view fileName) {
  return fileName.size() > kExportExtension.size() &&
         EqualsNoCase(fileName.substr(fileName.size() - kExportExtension.size()), kExportExtension);
}

bool FitsField(const std::string& text, std::size_t fieldSize) { return text.size() < fieldSize; }

std::string FitHeaders(const std::string& headers) {
  const std::string text = headers.substr(0, headers.find('\0'));
  if (FitsField(text, kHeadersField)) return text;
  std::size_t kept = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos && end + 2 < kHeadersField;
       end = text.find("\r\n", end + 2)) {
    kept = end + 2;
  }
  return text.substr(0, kept);
}

TExportRecordBytes EncodeExportRecord(const TExportRecord& record) {
  TExportRecordBytes bytes{};
  PutText(bytes, 0, kFileNameField, record.FileName);
  PutText(bytes, kUrlOffset, kUrlField, record.URL);
  PutDouble(bytes, kSyncTimeOffset, record.SyncTime);
  PutText(bytes, kHeadersOffset, kHeadersField, record.Headers);
  return bytes;
}

TExportRecord DecodeExportRecord(std::span<const char, kExportRecordSize> bytes) {
  return {TakeText(bytes, 0, kFileNameField), TakeText(bytes, kUrlOffset, kUrlField), TakeDouble(bytes, kSyncTimeOffset),
          TakeText(bytes, kHeadersOffset, kHeadersField)};
}

double DateTimeFromSystemTime(const TSystemTime& time) {
  const double days = static_cast<double>(DaysSince1601(time) - kDaysFrom1601To1899);
  const double fraction = static_cast<double>(MillisOfDay(time)) / kMillisPerDay;
  return days >= 0 ? days + fraction : days - fraction;
}

std::optional<TSystemTime> SystemTimeFromDateTime(double dateTime) {
  constexpr double kFirstDay = -693593.0;  // 0001-01-01
  constexpr double kLastDay = 2958466.0;   // 10000-01-01
  if (!std::isfinite(dateTime) || dateTime <= kFirstDay - 1 || dateTime >= kLastDay) return std::nullopt;
  const double wholeDays = std::trunc(dateTime);
  const double fraction = std::fabs(dateTime - wholeDays);
  const auto millisOfDay = static_cast<std::int64_t>(std::llround(fraction * kMillisPerDay));
  const std::int64_t daysSince1601 = static_cast<std::int64_t>(wholeDays) + kDaysFrom1601To1899;
  if (daysSince1601 < 0) return std::nullopt;  // before 1601: no file time can hold it
  const FileTime ticks = static_cast<FileTime>(daysSince1601 * 86400000LL + millisOfDay) * 10000ULL;
  return SystemTimeFromFileTime(ticks);
}

}  // namespace hoardscope
