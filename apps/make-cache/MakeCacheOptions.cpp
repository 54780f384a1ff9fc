// Reads make-cache's command line into TMakeCacheOptions.
#include "MakeCacheOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace hoardscope {

const char* const kMakeCacheUsage =
    "usage: make-cache --home DIR --entries N [--hosts H] [--avg-size BYTES] [--seed S] [--format FORMAT]\n"
    "  Fills the cache store of the hoardscope home DIR (DIR/cache) with N synthetic entries. The same\n"
    "  arguments always give the same URLs, contents, headers and times. Entries are added to what the store\n"
    "  holds; an entry with the same URL is replaced.\n"
    "  --hosts H          number of hosts (default N/50, at least 1); www.host0.example gets every tenth entry,\n"
    "                     the others get fewer and fewer entries the higher their number\n"
    "  --avg-size BYTES   average content size (default 2048); no content is shorter than its format needs\n"
    "  --seed S           seed of the generator (default 1)\n"
    "  --format FORMAT    store (default), or chromium or firefox: DIR is then made a disk cache of that\n"
    "                     browser (Chromium's simple backend, Firefox's cache2), with every second text\n"
    "                     entry's body gzip-compressed\n";

namespace {

constexpr std::uint64_t kMaxEntries = 10'000'000;
constexpr std::uint64_t kMaxHosts = 1'000'000;
constexpr std::uint64_t kMaxAverageSize = 64ull << 20;
constexpr std::uint64_t kEntriesPerHost = 50;
constexpr std::array<std::string_view, 6> kOptions = {"--home",     "--entries", "--hosts",
                                                      "--avg-size", "--seed",    "--format"};

std::optional<std::uint64_t> ParseNumber(const std::string& text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Parses the value of a numeric option into target; an error text when it is no number in [low, high].
std::string ReadNumber(const std::string& option, const std::string& text, std::uint64_t low, std::uint64_t high,
                       std::uint64_t& target) {
  const auto value = ParseNumber(text);
  if (!value || *value < low || *value > high) {
    return option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
           ", not '" + text + "'";
  }
  target = *value;
  return {};
}

// Sets one option from its value; an error text when the value does not fit.
std::string ApplyOption(const std::string& option, const std::string& value, TMakeCacheOptions& options) {
  if (option == "--home") {
    options.Home = value;
    return value.empty() ? "--home needs a folder" : "";
  }
  if (option == "--entries") return ReadNumber(option, value, 0, kMaxEntries, options.Entries);
  if (option == "--hosts") return ReadNumber(option, value, 1, kMaxHosts, options.Hosts);
  if (option == "--avg-size") return ReadNumber(option, value, 1, kMaxAverageSize, options.AverageSize);
  if (option == "--format") {
    if (value == "store") options.Format = TCacheFormat::Store;
    else if (value == "chromium") options.Format = TCacheFormat::Chromium;
    else if (value == "firefox") options.Format = TCacheFormat::Firefox;
    else return "--format needs store, chromium or firefox, not '" + value + "'";
    return "";
  }
  return ReadNumber(option, value, 0, UINT64_MAX, options.Seed);
}

}  // namespace

TParsedArguments ParseMakeCacheArguments(const std::vector<std::string>& args) {
  TParsedArguments parsed;
  TMakeCacheOptions options;
  bool haveHome = false, haveEntries = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--help" || option == "-h") {
      parsed.Help = true;
      return parsed;
    }
    if (std::find(kOptions.begin(), kOptions.end(), option) == kOptions.end()) {
      parsed.Error = option.starts_with("-") ? "unknown option " + option : "unexpected argument '" + option + "'";
      return parsed;
    }
    if (i + 1 == args.size()) {
      parsed.Error = option + " needs a value";
      return parsed;
    }
    parsed.Error = ApplyOption(option, args[++i], options);
    if (!parsed.Error.empty()) return parsed;
    haveHome = haveHome || option == "--home";
    haveEntries = haveEntries || option == "--entries";
  }
  if (!haveHome || !haveEntries) {
    parsed.Error = !haveHome ? "--home is required" : "--entries is required";
    return parsed;
  }
  if (options.Hosts == 0) options.Hosts = std::clamp<std::uint64_t>(options.Entries / kEntriesPerHost, 1, kMaxHosts);
  parsed.Options = options;
  return parsed;
}

}  // namespace hoardscope
