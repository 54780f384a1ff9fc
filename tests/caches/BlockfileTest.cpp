// The blockfile reader against the cache Chromium wrote with that backend for the test site, damaged copies, and
// copies and made-up folders turned hostile: FIFOs and links for its files, records that claim huge streams.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/caches/CacheSources.h"
#include "platform/caches/chromium/Blockfile.h"
#include "platform/caches/chromium/BlockfileFormat.h"
#include "tests/caches/HostileFiles.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

const fs::path kData = HOARDSCOPE_TEST_DATA;
const fs::path kFixture = kData / "browser-caches" / "chromium-blockfile";

std::uint32_t Little32(const std::string& bytes, std::size_t at) { return LittleEndianAt<std::uint32_t>(bytes, at); }

void PutLittle32(std::string& bytes, std::size_t at, std::uint32_t value) { PutLittleEndian(bytes, at, value); }

// Where the index holds the head of a slot's chain.
std::size_t SlotOffset(std::size_t slot) { return kBlockfileIndexHeaderSize + 4 * slot; }

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
    EXPECT_GE(entry.LastAccessTime, entry.SyncTime);  // its rankings node's last use, in one short visit
    EXPECT_LT(entry.LastAccessTime, entry.SyncTime + 600ULL * 10000000);
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
  for (std::size_t slot = 0; slot < Little32(index, kBlockfileTableLengthOffset); ++slot) {
    const TBlockfileAddress address{Little32(index, SlotOffset(slot))};
    if (address.Value == 0) continue;
    ASSERT_TRUE(address.InUse() && address.FileType() == kBlockfileEntryBlockFile && address.FileNumber() == 1 &&
                address.BlockCount() == 1)
        << "a one-block record in data_1";
    const std::size_t record = kBlockFileHeaderSize + 256 * address.StartBlock();
    const std::uint32_t keyLength = Little32(records, record + kEntryRecordKeyLengthOffset);
    const std::string key = records.substr(record + kEntryRecordKeyOffset, std::min<std::uint32_t>(keyLength, 160));
    slotOf[NameOf(key)] = slot;
    recordOf[NameOf(key)] = record;
  }
  ASSERT_EQ(recordOf.size(), 11u);  // the frame's two keys share a name: one of them stands for it here
  const auto addressOf = [&](const std::string& name) { return Little32(index, SlotOffset(slotOf[name])); };
  const std::uint32_t pastTheEnd = TBlockfileAddress::OfBlocks(kBlockfileEntryBlockFile, 1, 0xfff0, 1).Value;
  const std::size_t bodyAddress = kEntryRecordStreamAddressesOffset + 4;

  PutLittle32(records, recordOf["style.css"] + bodyAddress, pastTheEnd);            // its body's block
  PutLittle32(records, recordOf["about.html"] + kEntryRecordKeyLengthOffset, 5000);  // a key longer than its record
  PutLittle32(records, recordOf["index.html"] + kEntryRecordNextOffset, addressOf("second.html"));  // chains that loop
  PutLittle32(records, recordOf["second.html"] + kEntryRecordNextOffset, addressOf("index.html"));
  for (std::size_t slot = 0;; ++slot) {
    if (Little32(index, SlotOffset(slot)) == 0) {
      PutLittle32(index, SlotOffset(slot), pastTheEnd);                                // a record past the end
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

#ifndef _WIN32
// A FIFO for the index or a block file ends the read at once, and a link for an entry's own file is not followed:
// the cache that cannot be read says so, the entries that cannot be read are counted.
TEST(Blockfile, FifosAndLinksForItsFilesEndTheReadAndAreNotFollowed) {
  TTempFolder copy("blockfile-hostile");
  const fs::path cache = copy.Path / "cache";
  const fs::path decoy = copy.Path / "decoy";
  fs::copy(kFixture, cache);
  fs::copy(kFixture, decoy);
  const auto read = [&](std::size_t& entries) {
    entries = 0;
    return ReadChromiumCache(cache.string(), [&](TBrowserCacheEntry&&) { ++entries; });
  };
  std::size_t entries = 0;

  fs::remove(cache / "f_000001");
  fs::create_symlink(decoy / "f_000001", cache / "f_000001");  // the picture's body, outside
  TCacheReadReport report = read(entries);
  EXPECT_EQ(entries, 11u);
  EXPECT_EQ(report.Skipped, 1u);

  for (const char* name : {"data_1", "index"}) {
    SCOPED_TRACE(name);
    MakeFifo(cache / name);
    TFifoGuard guard({cache / name});
    report = read(entries);
    CountEntries({"chromium:x", "chromium", cache.string(), "Chromium", {}});  // as hoardscope caches counts
    guard.Done();
    EXPECT_FALSE(guard.Released()) << "the read waited on the FIFO";
    EXPECT_EQ(entries, 0u);
    EXPECT_TRUE(report.Skipped > 0 || !report.Failure.empty());
  }
  EXPECT_EQ(report.Failure, "cannot read the cache index " + (cache / "index").string());
}
#endif

// Block files in memory, the index heading one chain of a record in data_1, and an external file whose size is
// claimed past what it holds.
class TClaimingFiles final : public IBlockfileFiles {
 public:
  TClaimingFiles(const std::string& record, std::uint64_t externalSize) : FExternal(externalSize, "", "") {
    std::string index = BlockfileIndexHeader(1);
    AppendLittleEndian(index, TBlockfileAddress::OfBlocks(kBlockfileEntryBlockFile, 1, 0, 1).Value);
    std::string blocks = BlockFileHeader(256) + record;
    FFiles.emplace("index", std::make_unique<TBufferBytes>(FIndex = index));
    FFiles.emplace("data_1", std::make_unique<TBufferBytes>(FBlocks = blocks));
  }
  IEntryBytes* Open(const std::string& name) override {
    if (name == "f_000001") return &FExternal;
    const auto file = FFiles.find(name);
    return file == FFiles.end() ? nullptr : file->second.get();
  }
  std::optional<std::uint64_t> Size(const std::string& name) override {
    if (name == "f_000001") return FExternal.Size();
    return std::nullopt;
  }

  TClaimedBytes FExternal;

 private:
  std::string FIndex;
  std::string FBlocks;
  std::map<std::string, std::unique_ptr<TBufferBytes>> FFiles;
};

// A record whose key or response record (stream 0) lies in an external file is never read past the field's limit,
// whatever size the record claims for it, and one that claims more is damaged.
TEST(Blockfile, ARecordClaimingAHugeKeyOrResponseRecordIsDamagedAndNotRead) {
  const std::uint32_t externalFile1 = TBlockfileAddress::OfExternalFile(1).Value;
  constexpr std::int32_t kHuge = 0x7FFFFFF0;
  struct TClaim {
    const char* What;
    std::size_t Field;    // the record's field at that offset claims kHuge bytes at f_000001
    std::size_t Address;  // the field of the address where they lie
  };
  for (const TClaim& claim :
       {TClaim{"a long key of 2 GiB", kEntryRecordKeyLengthOffset, kEntryRecordLongKeyOffset},
        TClaim{"a response record of 2 GiB", kEntryRecordStreamSizesOffset, kEntryRecordStreamAddressesOffset}}) {
    SCOPED_TRACE(claim.What);
    std::string record(256, '\0');
    PutLittle32(record, kEntryRecordKeyLengthOffset, 8);
    record.replace(kEntryRecordKeyOffset, 8, "http://k");
    PutLittle32(record, claim.Field, static_cast<std::uint32_t>(kHuge));
    PutLittle32(record, claim.Address, externalFile1);
    TClaimingFiles files(record, std::uint64_t{kHuge} + 4096);
    std::size_t entries = 0;
    const TCacheReadReport report = WalkChromiumBlockfileCache("", files, [&](TBrowserCacheEntry&&) { ++entries; });
    EXPECT_EQ(entries, 0u);
    EXPECT_EQ(report.Skipped, 1u);
    EXPECT_LE(files.FExternal.Largest, kMaxKeySize);
  }
}

}  // namespace
}  // namespace hoardscope
