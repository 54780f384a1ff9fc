// make-cache's entries written in the browsers' own disk-cache formats: Chromium's simple backend (one "_0" file
// per entry) and Firefox's cache2 (one file per entry in "entries").
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "SyntheticCache.h"

namespace hoardscope {

class TBrowserCacheWriter {
 public:
  // Creates the cache folder (and Firefox's "entries" in it) when missing.
  TBrowserCacheWriter(TCacheFormat format, const std::filesystem::path& folder);

  // Writes the entry as the browser would have stored it; the text of every second entry that has headers goes
  // gzip-compressed, with its Content-Encoding. Throws when a file cannot be written.
  void Write(std::uint64_t index, const TSyntheticEntry& entry);

 private:
  void WriteChromium(const TSyntheticEntry& entry, const std::string& body, const std::string& headers);
  void WriteFirefox(std::uint64_t index, const TSyntheticEntry& entry, const std::string& body,
                    const std::string& headers);

  TCacheFormat Format;
  std::filesystem::path Folder;   // where the entry files go
};

}  // namespace hoardscope
