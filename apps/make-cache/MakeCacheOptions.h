// The command line of make-cache: what to make and where.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace hoardscope {

extern const char* const kMakeCacheUsage;

// Where the entries go: the cache store of a hoardscope home, or a folder in a browser's disk-cache format.
enum class TCacheFormat { Store, Chromium, Firefox };

struct TMakeCacheOptions {
  std::filesystem::path Home;          // the hoardscope home; the cache store is its "cache" folder
  TCacheFormat Format = TCacheFormat::Store;   // with Chromium or Firefox, Home is the browser's cache folder
  std::uint64_t Entries = 0;
  std::uint64_t Hosts = 0;             // 0 on the command line means "about one host per 50 entries"
  std::uint64_t AverageSize = 2048;    // bytes of content per entry, on average
  std::uint64_t Seed = 1;
};

struct TParsedArguments {
  std::optional<TMakeCacheOptions> Options;   // set when the arguments were good
  bool Help = false;                          // --help was asked for
  std::string Error;                          // what was wrong with them, otherwise
};

// Reads the arguments after the program name. Hosts comes back resolved (never 0).
TParsedArguments ParseMakeCacheArguments(const std::vector<std::string>& args);

}  // namespace hoardscope
