// The Chromium and Firefox readers against the caches the browsers wrote for the test site, and against damaged
// copies of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <stdexcept>

#include "platform/caches/StoredResponse.h"
#include "platform/caches/chromium/SimpleCache.h"
#include "platform/caches/firefox/FirefoxCache.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

constexpr FileTime kSiteLastModified = 134370412800000000ULL;  // Wed, 21 Oct 2026 07:28:00 GMT
constexpr FileTime kSiteMaxAge = 604800ULL * 10000000;

const fs::path kData = HOARDSCOPE_TEST_DATA;

std::string StoredBody(const TStoredBody& body) {
  return ReadFile(body.File).substr(body.Offset, body.Size);
}

// How one browser's cache is read and how its entry files are damaged in each of the four ways.
struct TBrowserCase {
  const char* Name;
  const char* EntryFolder;  // below the cache folder
  TCacheReadReport (*Read)(const std::string&, const TBrowserCacheSink&);
  std::optional<TBrowserCacheEntry> (*Parse)(IEntryBytes&);
  void (*Damage[4])(std::string&);  // truncated, wrong magic, a size past the end, a key longer than the file
};

void PutLittle32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

void PutBig32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

std::uint32_t FirefoxMetadataOffset(const std::string& bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[bytes.size() - 4 + i]); };
  return static_cast<std::uint32_t>(byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3));
}

const TBrowserCase kChromium{
    "chromium", "", ReadChromiumSimpleCache, ParseChromiumSimpleEntry,
    {[](std::string& b) { b.resize(b.size() - 30); },
     [](std::string& b) { b[0] ^= 0x55; },
     [](std::string& b) { PutLittle32(b, b.size() - 8, 0x7fffff00); },   // stream 0's size
     [](std::string& b) { PutLittle32(b, 12, static_cast<std::uint32_t>(b.size())); }}};

const TBrowserCase kFirefox{
    "firefox", "entries", ReadFirefoxCache, ParseFirefoxEntry,
    {[](std::string& b) { b.resize(b.size() / 2); },
     [](std::string& b) { PutBig32(b, FirefoxMetadataOffset(b) + 6, 77); },  // the metadata version
     [](std::string& b) { PutBig32(b, b.size() - 4, static_cast<std::uint32_t>(b.size())); },
     [](std::string& b) { PutBig32(b, FirefoxMetadataOffset(b) + 6 + 24, static_cast<std::uint32_t>(b.size())); }}};

class BrowserCacheReader : public testing::TestWithParam<const TBrowserCase*> {
 protected:
  fs::path Fixture() const { return kData / "browser-caches" / GetParam()->Name; }
};

TEST_P(BrowserCacheReader, FindsTheSitePagesWithTheirHeadersTimesAndTheBytesTheServerSent) {
  std::multimap<std::string, TBrowserCacheEntry> byName;
  const TCacheReadReport report = GetParam()->Read(Fixture().string(), [&](TBrowserCacheEntry&& entry) {
    byName.emplace(entry.Url.substr(entry.Url.rfind('/') + 1), std::move(entry));
  });
  EXPECT_EQ(report.Skipped, 0u);
  EXPECT_EQ(report.Failure, "");
  ASSERT_EQ(byName.size(), 10u);
  // The frame two sites showed is kept once for each of them, under keys that name the site.
  ASSERT_EQ(byName.count("frame.html"), 2u);
  const auto frames = byName.equal_range("frame.html");
  EXPECT_EQ(frames.first->second.Url, std::next(frames.first)->second.Url);
  EXPECT_NE(frames.first->second.Key, std::next(frames.first)->second.Key);

  const std::string index = byName.find("index.html")->second.Url;
  const std::string origin = index.substr(0, index.rfind('/') + 1);
  EXPECT_TRUE(origin.starts_with("http://127.0.0.1:")) << origin;
  for (const auto& [name, entry] : byName) {
    SCOPED_TRACE(name);
    const std::string sent = name == "packed.html" ? "packed.html.gz" : name;
    const bool elsewhere = name == "second.html" || name == "entities.html" || name == "cafe-latin1.html";
    EXPECT_EQ(entry.Url.starts_with(origin), !elsewhere) << entry.Url;
    EXPECT_TRUE(entry.Key.ends_with(entry.Url) && entry.Key.size() > entry.Url.size()) << entry.Key;
    EXPECT_TRUE(entry.ResponseHeaders.starts_with("HTTP/1.") && entry.ResponseHeaders.ends_with(" GMT\r\n\r\n"))
        << entry.ResponseHeaders;
    EXPECT_EQ(StoredHeaderValue(entry.ResponseHeaders, "Content-Encoding"), name == "packed.html" ? "gzip" : "");
    EXPECT_EQ(entry.LastModifiedTime, kSiteLastModified);
    EXPECT_GT(entry.SyncTime, kSiteLastModified);
    EXPECT_EQ(entry.ExpireTime, entry.SyncTime + kSiteMaxAge);
    EXPECT_FALSE(entry.Encrypted);
    EXPECT_EQ(entry.Files, std::vector<std::string>{entry.Body.File});
    EXPECT_EQ(StoredBody(entry.Body), ReadFile(kData / "browser-site" / sent));
  }
}

TEST_P(BrowserCacheReader, SkipsAndCountsDamagedFilesAndPassesOverVanishedOnes) {
  const TTempFolder folder("damaged");
  const fs::path copy = folder.Path / "cache";
  fs::copy(Fixture(), copy, fs::copy_options::recursive);
  const fs::path entries = copy / GetParam()->EntryFolder;
  std::vector<fs::path> files;
  for (const fs::directory_entry& file : fs::directory_iterator(entries)) {
    if (file.is_regular_file() && file.path().filename().string().size() >= 18) files.push_back(file.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 10u);
  for (std::size_t extra = 6; extra < files.size(); ++extra) fs::remove(files[extra]);
  files.resize(6);

  // No proper prefix of an entry file is an entry, and reading one never runs past it.
  for (const fs::path& file : files) {
    const std::string bytes = ReadFile(file);
    for (std::size_t size = 0; size < bytes.size(); ++size) {
      TBufferBytes prefix(std::string_view(bytes).substr(0, size));
      ASSERT_FALSE(GetParam()->Parse(prefix)) << file << " cut at " << size;
    }
  }

  for (int way = 0; way < 4; ++way) {
    std::string bytes = ReadFile(files[way]);
    GetParam()->Damage[way](bytes);
    WriteFile(files[way], bytes);
  }
  // Chromium keeps an entry's sparse data beside it, and renames doomed entries before removing them.
  std::vector<std::string> expectedFiles = {files[4].string()};
  if (GetParam() == &kChromium) {
    const fs::path sparse = files[4].string().substr(0, files[4].string().size() - 2) + "_s";
    WriteFile(sparse, "sparse");
    expectedFiles.push_back(sparse.string());
    WriteFile(entries / ("todelete_" + files[0].filename().string()), "doomed");
  }
  std::vector<std::vector<std::string>> delivered;
  const TCacheReadReport report = GetParam()->Read(copy.string(), [&](TBrowserCacheEntry&& entry) {
    delivered.push_back(entry.Files);
    fs::remove(files[5]);  // evicted while the walk runs
  });
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], expectedFiles);
  EXPECT_EQ(report.Skipped, 4u);
  ASSERT_EQ(report.SkippedFiles.size(), 4u);
  for (int way = 0; way < 4; ++way) EXPECT_EQ(fs::path(report.SkippedFiles[way]), files[way]);
  EXPECT_NE(GetParam()->Read((copy / "absent").string(), [](TBrowserCacheEntry&&) {}).Failure, "");
}

// An encrypted entry is listed without a body; "never expires" leaves the expiry to the stored headers.
TEST(FirefoxCacheReader, ListsAnEncryptedEntryUnreadAndReadsExpiryFromHeadersWhenTheEntryNeverExpires) {
  const fs::path entries = kData / "browser-caches" / "firefox" / "entries";
  std::string bytes = ReadFile(fs::directory_iterator(entries)->path());
  const std::uint32_t metadata = FirefoxMetadataOffset(bytes);
  PutBig32(bytes, metadata + 6 + 20, 0xFFFFFFFFu);
  PutBig32(bytes, bytes.size() - 4, metadata | 0x80000000u);
  TBufferBytes file(bytes);
  const std::optional<TBrowserCacheEntry> entry = ParseFirefoxEntry(file);
  ASSERT_TRUE(entry);
  EXPECT_TRUE(entry->Encrypted);
  EXPECT_EQ(entry->Body.Size, 0u);
  EXPECT_TRUE(entry->Url.starts_with("http://127.0.0.1:")) << entry->Url;
  EXPECT_EQ(entry->ExpireTime, entry->SyncTime + kSiteMaxAge);
}

// Large folders are read on several threads: the entries still arrive in the names' order, the damaged files are
// counted with the first names in that order, and a parser's exception reaches the caller from any thread.
TEST(EntryFiles, ReadOnSeveralThreadsArriveInOrderWithTheDamagedOnesCountedInOrder) {
  TTempFolder folder("entry-files");
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "%05d", i);
    names.push_back(name);
    WriteFile(folder.Path / name, i % 250 == 7 ? "bad" : name);
  }
  const TEntryFileParser parse = [](IEntryBytes& file, const std::string& path) {
    const std::string_view bytes = *file.Read(0, file.Size());
    if (bytes == "bad") return std::optional<TBrowserCacheEntry>();
    if (bytes == "boom") throw std::runtime_error("boom");
    TBrowserCacheEntry entry;
    entry.Url = std::string(bytes);
    return std::optional<TBrowserCacheEntry>(std::move(entry));
  };
  std::vector<std::string> delivered;
  TCacheReadReport report;
  ReadEntryFiles(folder.Path.string(), names, parse, report,
                 [&](TBrowserCacheEntry&& entry) { delivered.push_back(entry.Url); });

  std::vector<std::string> expected;
  std::copy_if(names.begin(), names.end(), std::back_inserter(expected),
               [](const std::string& name) { return std::stoi(name) % 250 != 7; });
  EXPECT_EQ(delivered, expected);
  EXPECT_EQ(report.Skipped, 12u);
  ASSERT_EQ(report.SkippedFiles.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i)
    EXPECT_EQ(fs::path(report.SkippedFiles[i]).filename().string(), names[250 * i + 7]);

  WriteFile(folder.Path / names[2999], "boom");
  EXPECT_THROW(ReadEntryFiles(folder.Path.string(), names, parse, report, [](TBrowserCacheEntry&&) {}),
               std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Browsers, BrowserCacheReader, testing::Values(&kChromium, &kFirefox),
                         [](const testing::TestParamInfo<const TBrowserCase*>& info) { return info.param->Name; });

}  // namespace
}  // namespace hoardscope
