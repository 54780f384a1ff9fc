// The blockfile reader against the cache Chromium wrote with that backend for the test site, and damaged copies.
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/caches/chromium/Blockfile.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

const fs::path kData = HOARDSCOPE_TEST_DATA;
const fs::path kFixture = kData / "browser-caches" / "chromium-blockfile";

std::uint32_t Little32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void PutLittle32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// The last piece of a URL's path, its query left out.
std::string NameOf(const std::string& url) {
  const std::string path = url.substr(0, url.find('?'));
  return path.substr(path.rfind('/') + 1);
}

TEST(Blockfile, ReadsTheSiteFromTheBlocksAndFilesChromiumWrote) {
  std::multimap<std::string, TBrowserCacheEntry> byName;
  const TCacheReadReport report = ReadChromiumBlockfileCache(kFixture.string(), [&](TBrowserCacheEntry&& entry) {
    byName.emplace(NameOf(entry.Url), std::move(entry));
  });
  EXPECT_EQ(report.Failure, "");
  EXPECT_EQ(report.Skipped, 0u);
  ASSERT_EQ(byName.size(), 12u);
  EXPECT_EQ(byName.count("frame.html"), 2u);  // shown by two sites
  for (const auto& [name, entry] : byName) {
    SCOPED_TRACE(name);
    const std::string sent = name == "packed.html" ? "packed.html.gz" : name;
    EXPECT_TRUE(entry.Url.starts_with(name == "second.html" ? "http://localhost:" : "http://127.0.0.1:") &&
                entry.Key.ends_with(" " + entry.Url))
        << entry.Key;
    EXPECT_EQ(entry.ExpireTime, entry.SyncTime + 604800ULL * 10000000);
    EXPECT_TRUE(entry.Files.empty());
    EXPECT_EQ(fs::path(entry.Body.File).parent_path(), kFixture);
    const std::string stored = ReadFile(entry.Body.File).substr(entry.Body.Offset, entry.Body.Size);
    EXPECT_EQ(stored, ReadFile(kData / "browser-site" / sent));
  }
  EXPECT_GT(byName.find("harbour.png")->second.Key.size(), 1000u);
  EXPECT_EQ(fs::path(byName.find("harbour.png")->second.Body.File).filename(), "f_000001");
}

TEST(Blockfile, SkipsDamagedRecordsEndsLoopingChainsAndRefusesAForeignIndex) {
  TTempFolder copy("blockfile");
  fs::copy(kFixture, copy.Path);
  std::string index = ReadFile(copy.Path / "index");
  std::string records = ReadFile(copy.Path / "data_1");
  // Each chain's head: slot and record offset, found by the URL its record's inline key ends with.
  std::map<std::string, std::size_t> slotOf, recordOf;
  for (std::size_t slot = 0; slot < Little32(index, 28); ++slot) {
    const std::uint32_t address = Little32(index, 368 + 4 * slot);
    if (address == 0) continue;
    ASSERT_EQ(address >> 16, 0xa001u) << "a one-block record in data_1";
    const std::size_t record = 8192 + 256 * (address & 0xffff);
    const std::string key = records.substr(record + 96, std::min<std::uint32_t>(Little32(records, record + 32), 160));
    slotOf[NameOf(key)] = slot;
    recordOf[NameOf(key)] = record;
  }
  ASSERT_EQ(recordOf.size(), 11u);  // the frame's two keys share a name: one of them stands for it here
  const auto addressOf = [&](const std::string& name) { return Little32(index, 368 + 4 * slotOf[name]); };

  PutLittle32(records, recordOf["style.css"] + 60, 0xa001fff0);              // its body's block: past the end
  PutLittle32(records, recordOf["about.html"] + 32, 5000);                   // a key longer than its record
  PutLittle32(records, recordOf["index.html"] + 4, addressOf("second.html"));  // two chains that loop
  PutLittle32(records, recordOf["second.html"] + 4, addressOf("index.html"));
  for (std::size_t slot = 0;; ++slot) {
    if (Little32(index, 368 + 4 * slot) == 0) {
      PutLittle32(index, 368 + 4 * slot, 0xa001fff0);                         // a record past the end
      break;
    }
  }
  WriteFile(copy.Path / "data_1", records);
  WriteFile(copy.Path / "index", index);

  std::set<std::string> keys;
  std::multiset<std::string> names;
  const TCacheReadReport report = ReadChromiumBlockfileCache(copy.Path.string(), [&](TBrowserCacheEntry&& entry) {
    if (!keys.insert(entry.Key).second) throw std::logic_error("read twice: " + entry.Key);
    names.insert(NameOf(entry.Url));
  });
  EXPECT_EQ(names, (std::multiset<std::string>{"index.html", "second.html", "packed.html", "lighthouse.png",
                                               "gallery.html", "harbour.png", "frame.html", "frame.html",
                                               "entities.html", "cafe-latin1.html"}));
  EXPECT_EQ(report.Skipped, 3u);
  EXPECT_EQ(report.SkippedFiles, std::vector<std::string>(3, (copy.Path / "data_1").string()));
  EXPECT_EQ(report.Failure, "");

  index[0] ^= 0x20;
  WriteFile(copy.Path / "index", index);
  EXPECT_EQ(ReadChromiumBlockfileCache(copy.Path.string(), [](TBrowserCacheEntry&&) { FAIL(); }).Failure,
            (copy.Path / "index").string() + " is not the index of a Chromium blockfile cache");
}

}  // namespace
}  // namespace hoardscope
