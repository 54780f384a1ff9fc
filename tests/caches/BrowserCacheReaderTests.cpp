// The Chromium and Firefox readers against the caches the browsers wrote for the test site, against damaged
// copies of them, and against entries and folders made hostile: FIFOs and links under their names, sizes claimed
// past what any browser writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <stdexcept>

#include "core/ResponseHeaders.h"
#include "platform/caches/chromium/ResponseRecordFormat.h"
#include "platform/caches/chromium/SimpleCache.h"
#include "platform/caches/chromium/SimpleCacheFormat.h"
#include "platform/caches/firefox/Cache2Format.h"
#include "platform/caches/firefox/FirefoxCache.h"
#include "tests/caches/HostileFiles.h"
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

void PutLittle32(std::string& bytes, std::size_t at, std::uint32_t value) { PutLittleEndian(bytes, at, value); }

std::uint32_t FirefoxMetadataOffset(const std::string& bytes) { return BigEndianAt(bytes, bytes.size() - 4); }

// Where a field of the metadata's header lies in a cache2 entry file that is not encrypted.
std::size_t FirefoxFieldOffset(const std::string& bytes, TCache2Field field) {
  const std::uint32_t metadata = FirefoxMetadataOffset(bytes);
  return metadata + Cache2HeaderStart(metadata) + 4 * field;
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
     [](std::string& b) { PutBigEndian(b, FirefoxFieldOffset(b, kCache2Version), 77); },
     [](std::string& b) { PutBigEndian(b, b.size() - 4, static_cast<std::uint32_t>(b.size())); },
     [](std::string& b) {
       PutBigEndian(b, FirefoxFieldOffset(b, kCache2KeySize), static_cast<std::uint32_t>(b.size()));
     }}};

// The fixtures were made in one short visit: an entry was last used (Chromium's index keeps whole seconds) within
// minutes of its response.
void ExpectUsedSoonAfterTheResponse(const TBrowserCacheEntry& entry) {
  constexpr FileTime kSecond = 10000000;
  EXPECT_GE(entry.LastAccessTime + kSecond, entry.SyncTime);
  EXPECT_LT(entry.LastAccessTime, entry.SyncTime + 600 * kSecond);
}

class BrowserCacheReader : public testing::TestWithParam<const TBrowserCase*> {
 protected:
  fs::path Fixture() const { return kData / "browser-caches" / GetParam()->Name; }
  // The fixture's entry files, sorted.
  std::vector<fs::path> EntryFiles(const fs::path& cache) const {
    std::vector<fs::path> files;
    for (const fs::directory_entry& file : fs::directory_iterator(cache / GetParam()->EntryFolder)) {
      if (file.is_regular_file() && file.path().filename().string().size() >= 18) files.push_back(file.path());
    }
    std::sort(files.begin(), files.end());
    return files;
  }
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
    EXPECT_EQ(HeaderValueOf(entry.ResponseHeaders, "Content-Encoding"), name == "packed.html" ? "gzip" : "");
    EXPECT_EQ(entry.LastModifiedTime, kSiteLastModified);
    EXPECT_GT(entry.SyncTime, kSiteLastModified);
    EXPECT_EQ(entry.ExpireTime, entry.SyncTime + kSiteMaxAge);
    ExpectUsedSoonAfterTheResponse(entry);
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

#ifndef _WIN32
// A FIFO under an entry file's name would hold the read for ever, a link would show what it names: each is a damaged
// entry, and so is a body file that became one after the read. A link for the folder of the entry files reads
// nothing at all and says why.
TEST_P(BrowserCacheReader, ReadsEndAndFollowNoLinkWhenFifosOrLinksStandForEntryFilesAndFolders) {
  const TTempFolder folder("hostile");
  const fs::path copy = folder.Path / "cache";
  const fs::path decoy = folder.Path / "decoy";
  fs::copy(Fixture(), copy, fs::copy_options::recursive);
  fs::copy(Fixture(), decoy, fs::copy_options::recursive);
  const fs::path entries = GetParam() == &kChromium ? copy : copy / GetParam()->EntryFolder;
  const std::vector<fs::path> files = EntryFiles(copy);
  const std::string newName = GetParam() == &kChromium ? "0123456789abcdef_0" : std::string(40, 'A');
  MakeFifo(entries / newName);
  fs::create_symlink(EntryFiles(decoy)[0], entries / ("1" + newName.substr(1)));

  TFifoGuard guard({entries / newName});
  std::vector<TBrowserCacheEntry> read;
  const TCacheReadReport report =
      GetParam()->Read(copy.string(), [&](TBrowserCacheEntry&& entry) { read.push_back(std::move(entry)); });
  guard.Done();
  EXPECT_FALSE(guard.Released()) << "the read waited on the FIFO";
  EXPECT_EQ(read.size(), files.size());
  EXPECT_EQ(report.Skipped, 2u);
  EXPECT_EQ(report.Failure, "");
  for (const TBrowserCacheEntry& entry : read) EXPECT_EQ(fs::path(entry.Body.File).parent_path(), entries);

  // The body's file, read again to decode it, is not opened through what stands in its place.
  const TBrowserCacheEntry& entry = read.front();
  fs::remove(entry.Body.File);
  fs::create_symlink(decoy / fs::path(entry.Body.File).lexically_relative(copy), entry.Body.File);
  std::string decoded;
  EXPECT_NE(ReadDecodedBody(entry, [&](std::string_view piece) { decoded += piece; return true; }), "");
  MakeFifo(entry.Body.File);
  EXPECT_NE(ReadDecodedBody(entry, [&](std::string_view piece) { decoded += piece; return true; }), "");
  EXPECT_EQ(decoded, "");

  std::vector<fs::path> linkedFolders{folder.Path / "linked"};
  fs::create_symlink(decoy, linkedFolders.back());
  if (GetParam() == &kFirefox) {
    linkedFolders.push_back(folder.Path / "linked-entries");
    fs::create_directories(linkedFolders.back());
    fs::create_symlink(decoy / "entries", linkedFolders.back() / "entries");
  }
  for (const fs::path& hostile : linkedFolders) {
    const TCacheReadReport linkReport = GetParam()->Read(hostile.string(), [](TBrowserCacheEntry&&) { FAIL(); });
    EXPECT_NE(linkReport.Failure.find(" is a link"), std::string::npos) << linkReport.Failure;
  }
}
#endif

std::string Big32(std::uint32_t value) {
  std::string text;
  AppendBigEndian(text, value);
  return text;
}

// Chromium's response record of the raw headers.
std::string ChromiumRecordOf(const std::string& rawHeaders) {
  constexpr std::int64_t kTime = 13300000000000000;
  return ChromiumResponseRecord(kTime, kTime, rawHeaders);
}

std::string ChromiumEof(std::uint32_t streamSize) { return SimpleEofBytes({.StreamSize = streamSize}); }

std::string ChromiumHeader(std::uint32_t keyLength) { return SimpleHeaderBytes({.KeyLength = keyLength}); }

std::string ChromiumEntryFile(const std::string& key, const std::string& body, const std::string& record) {
  return SimpleEntryFile({.Key = key, .Body = body, .ResponseRecord = record});
}

std::string FirefoxEntryFile(const std::string& body, const std::string& key, const std::string& elements) {
  return Cache2EntryFile(body, {.LastFetched = 1700000000, .LastModified = 1700000000}, key, elements);
}

const std::string kUrlKey = "1/0/_dk_http://a.test http://a.test http://a.test/page.html";
const std::string kRawHeaders = std::string("HTTP/1.1 200 OK\0Content-Type: text/html\0\0", 42);

// An entry is never read past the limits of its fields, whatever size it claims for one, and one that claims more
// is damaged: the files below are entries as the browsers write them but for the claimed size.
TEST(EntryFiles, SizesAnEntryClaimsAreNeverReadPastTheLimitsOfTheirFields) {
  const std::string record = ChromiumRecordOf(kRawHeaders);
  const std::string responseHead = Cache2Element(kCache2ResponseHead, "HTTP/1.1 200 OK\r\n");
  struct TClaim {
    const char* What;
    TClaimedBytes File;
    std::optional<TBrowserCacheEntry> (*Parse)(IEntryBytes&);
    bool IsEntry = false;
  };
  constexpr std::uint64_t kHugeKey = 3ULL << 30;
  constexpr std::uint64_t kHugeRecord = 0xFFFFFF00u;
  const std::string streamsAfterKey = ChromiumEof(0) + record + ChromiumEof(record.size());
  TClaim claims[] = {
      {"a Chromium entry of the same form within the limits", {0, ChromiumEntryFile(kUrlKey, "<p>", record), ""},
       ParseChromiumSimpleEntry, true},
      {"a Chromium key of 3 GiB",
       {kSimpleHeaderSize + kHugeKey + streamsAfterKey.size(), ChromiumHeader(kHugeKey), streamsAfterKey},
       ParseChromiumSimpleEntry},
      {"a Chromium response record (stream 0) of 4 GiB",
       {kSimpleHeaderSize + kUrlKey.size() + kSimpleEofSize + kHugeRecord + kSimpleEofSize,
        ChromiumHeader(kUrlKey.size()) + kUrlKey + ChromiumEof(0),
        ChromiumEof(kHugeRecord)},
       ParseChromiumSimpleEntry},
      {"a Chromium response record past 1 MiB",
       {0, ChromiumEntryFile(kUrlKey, "", record + std::string(kMaxResponseRecordSize, '\0')), ""},
       ParseChromiumSimpleEntry},
      {"Chromium response headers past 64 KiB",
       {0, ChromiumEntryFile(kUrlKey, "", ChromiumRecordOf("HTTP/1.1 200 OK" + std::string(1, '\0') + "X: " +
                                                            std::string(kMaxResponseHeadersSize, 'x') +
                                                            std::string(2, '\0'))), ""},
       ParseChromiumSimpleEntry},
      {"a Firefox entry of the same form within the limits",
       {0, FirefoxEntryFile("<p>", ":http://a.test/page.html", responseHead), ""}, ParseFirefoxEntry, true},
      {"a Firefox entry of 6 GiB whose metadata starts at 0",
       {6ULL << 30, "", Big32(kCache2TrailerVersion) + Big32(0)}, ParseFirefoxEntry},
      {"a Firefox response head past 64 KiB",
       {0, FirefoxEntryFile("", ":http://a.test/page.html",
                            Cache2Element(kCache2ResponseHead, std::string(kMaxResponseHeadersSize + 1, 'h'))), ""},
       ParseFirefoxEntry},
  };
  for (TClaim& claim : claims) {
    SCOPED_TRACE(claim.What);
    if (claim.IsEntry) {
      EXPECT_TRUE(claim.Parse(claim.File));
      continue;
    }
    EXPECT_FALSE(claim.Parse(claim.File));
    EXPECT_LE(claim.File.Largest, kMaxKeySize + kMaxResponseRecordSize);
  }
}

// An encrypted entry is listed without a body; "never expires" leaves the expiry to the stored headers.
TEST(FirefoxCacheReader, ListsAnEncryptedEntryUnreadAndReadsExpiryFromHeadersWhenTheEntryNeverExpires) {
  const fs::path entries = kData / "browser-caches" / "firefox" / "entries";
  std::string bytes = ReadFile(fs::directory_iterator(entries)->path());
  const std::uint32_t metadata = FirefoxMetadataOffset(bytes);
  PutBigEndian(bytes, FirefoxFieldOffset(bytes, kCache2Expiration), kCache2NeverExpires);
  PutBigEndian(bytes, bytes.size() - 4, metadata | kCache2EncryptedBit);
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
  ReadEntryFiles(TEntryFolder(folder.Path.string()), names, parse, report,
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
  EXPECT_THROW(ReadEntryFiles(TEntryFolder(folder.Path.string()), names, parse, report, [](TBrowserCacheEntry&&) {}),
               std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Browsers, BrowserCacheReader, testing::Values(&kChromium, &kFirefox),
                         [](const testing::TestParamInfo<const TBrowserCase*>& info) { return info.param->Name; });

}  // namespace
}  // namespace hoardscope
