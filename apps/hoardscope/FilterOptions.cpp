// The quick filter's options on the command line.
#include "FilterOptions.h"

#include <iostream>
#include <optional>
#include <string>

namespace hoardscope {
namespace {

constexpr const char* kDateForm = "a date (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS, UTC)";
constexpr const char* kSizeForm = "a size (a count of bytes with an optional K, M or G)";

TFilterOption Malformed(const std::string& option, const std::string& value, const char* form) {
  std::cerr << "hoardscope: " << option << " '" << value << "' is not " << form << "\n";
  return TFilterOption::Malformed;
}

// Reads the option's value into bound with read, or says it cannot.
template <typename TValue, typename TRead>
TFilterOption ReadBound(TOptionReader& reader, std::optional<TValue>& bound, const char* form, TRead read) {
  const std::string option = reader.Current();
  const std::string& value = reader.TakeValue();
  bound = read(value);
  return bound ? TFilterOption::Read : Malformed(option, value, form);
}

}  // namespace

const char* const kFilterUsage =
    "       FILTER: [--url TEXT] [--since DATE] [--until DATE] [--min-size N] [--max-size N]\n"
    "               DATE: YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS (UTC); N: bytes, with K, M or G for powers of 1024\n";

TFilterOption ReadFilterOption(TOptionReader& reader, TQuickFilter& filter) {
  const auto time = [](TRangeEnd end) { return [end](const std::string& text) { return ParseFilterTime(text, end); }; };
  const auto size = [](const std::string& text) { return ParseByteCount(text); };
  if (reader.HasValue("--url")) {
    filter.UrlText = reader.TakeValue();
    return TFilterOption::Read;
  }
  if (reader.HasValue("--since")) return ReadBound(reader, filter.Since, kDateForm, time(TRangeEnd::First));
  if (reader.HasValue("--until")) return ReadBound(reader, filter.Until, kDateForm, time(TRangeEnd::Last));
  if (reader.HasValue("--min-size")) return ReadBound(reader, filter.MinSize, kSizeForm, size);
  if (reader.HasValue("--max-size")) return ReadBound(reader, filter.MaxSize, kSizeForm, size);
  return TFilterOption::NotOne;
}

}  // namespace hoardscope
