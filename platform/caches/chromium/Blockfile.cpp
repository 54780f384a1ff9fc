// Walks a blockfile cache's index and block files; their layout is in BlockfileFormat.h.
#include "core/ByteOrder.h"
#include "platform/caches/chromium/Blockfile.h"

#include <map>
#include <memory>
#include <unordered_set>

#include "platform/caches/StoredResponse.h"
#include "platform/caches/chromium/BlockfileFormat.h"
#include "platform/caches/chromium/ResponseInfo.h"
#include "platform/caches/chromium/ResponseRecordFormat.h"
#include "platform/caches/chromium/SimpleCache.h"

namespace hoardscope {
namespace {

constexpr std::uint32_t kMaxTableLength = 1u << 22;   // far more than Chromium makes; bounds what is read

// Where an address points: the file, where the data starts there and how much room it has.
struct TSpan {
  std::string Name;
  IEntryBytes* Bytes = nullptr;   // null for an external file, which is read only when asked for
  std::uint64_t Offset = 0;
  std::uint64_t Room = 0;
};

class TBlockfileWalk {
 public:
  TBlockfileWalk(const std::string& folder, IBlockfileFiles& files, const TBrowserCacheSink& sink)
      : FFolder(folder), FFiles(files), FSink(sink) {}

  TCacheReadReport Run() {
    const std::string indexPath = JoinPath(FFolder, "index");
    IEntryBytes* index = FFiles.Open("index");
    if (!index) return Failed("cannot read the cache index " + indexPath);
    const std::optional<std::string_view> header = index->Read(0, kBlockfileIndexHeaderSize);
    if (!header || LittleEndianAt<std::uint32_t>(*header, 0) != kBlockfileIndexMagic)
      return Failed(indexPath + " is not the index of a Chromium blockfile cache");
    std::uint32_t tableLength = LittleEndianAt<std::uint32_t>(*header, kBlockfileTableLengthOffset);
    if (tableLength == 0) tableLength = kBlockfileDefaultTableLength;
    std::optional<std::string_view> table;
    if (tableLength <= kMaxTableLength) table = index->Read(kBlockfileIndexHeaderSize, std::size_t{4} * tableLength);
    if (!table) return Failed("the cache index " + indexPath + " is damaged");
    const std::string heads(*table);   // later reads may reuse the index's buffer
    for (std::size_t slot = 0; slot < tableLength; ++slot)
      WalkChain(TBlockfileAddress{LittleEndianAt<std::uint32_t>(heads, 4 * slot)});
    return std::move(FReport);
  }

 private:
  TCacheReadReport Failed(const std::string& why) {
    FReport.Failure = why;
    return std::move(FReport);
  }

  // A record that cannot be read ends its chain, since its "next" is lost with it. A chain that comes back to a
  // record seen before (a loop, or two chains joined by damage) ends there too.
  void WalkChain(TBlockfileAddress address) {
    while (address.InUse() && FSeen.insert(address.Value).second) {
      std::optional<TSpan> span;
      if (address.FileType() == kBlockfileEntryBlockFile) span = Locate(address);
      std::optional<std::string_view> bytes;
      if (span) bytes = span->Bytes->Read(span->Offset, span->Room);
      if (!bytes) {
        CountSkipped(FReport, JoinPath(FFolder, BlockFileName(address.FileNumber())));
        return;
      }
      const TBlockfileEntryRecord record = TBlockfileEntryRecord::Parse(*bytes);
      // Neither doomed nor a piece of another entry.
      if (record.State == kEntryRecordNormalState && (record.Flags & kEntryRecordChildFlag) == 0) {
        std::optional<TBrowserCacheEntry> entry = ReadEntry(record);
        if (entry) FSink(std::move(*entry));
        else CountSkipped(FReport, JoinPath(FFolder, BlockFileName(address.FileNumber())));
      }
      address = record.Next;
    }
  }

  std::optional<TBrowserCacheEntry> ReadEntry(const TBlockfileEntryRecord& record) {
    std::optional<std::string> key;
    if (record.KeyLength < 0 || static_cast<std::uint64_t>(record.KeyLength) > kMaxKeySize) return std::nullopt;
    if (record.LongKey.InUse()) key = ReadStream(record.LongKey, record.KeyLength);
    else if (static_cast<std::size_t>(record.KeyLength) <= record.InlineKey.size())
      key = record.InlineKey.substr(0, static_cast<std::size_t>(record.KeyLength));
    if (!key || key->empty()) return std::nullopt;
    if (record.StreamSize[0] < 0 || static_cast<std::uint64_t>(record.StreamSize[0]) > kMaxResponseRecordSize)
      return std::nullopt;
    const std::optional<std::string> stream0 = ReadStream(record.StreamAddress[0], record.StreamSize[0]);
    std::optional<TChromiumResponseInfo> info;
    if (stream0) info = ParseChromiumResponseInfo(*stream0);
    if (!info) return std::nullopt;

    TBrowserCacheEntry entry;
    const std::int32_t bodySize = record.StreamSize[1];
    if (bodySize < 0) return std::nullopt;
    if (bodySize > 0) {
      const std::optional<TSpan> body = Locate(record.StreamAddress[1]);
      if (!body || static_cast<std::uint64_t>(bodySize) > body->Room) return std::nullopt;
      entry.Body = {JoinPath(FFolder, body->Name), body->Offset, static_cast<std::uint64_t>(bodySize)};
    }
    entry.Key = std::move(*key);
    entry.Url = std::string(ChromiumKeyUrl(entry.Key));
    entry.ResponseHeaders = std::move(info->Headers);
    entry.SyncTime = info->ResponseTime;
    entry.LastAccessTime = LastUsedTime(record.Rankings);
    FillTimesFromHeaders(entry);
    return entry;
  }

  // The last-used time of an entry's rankings node; 0 when the node cannot be read.
  FileTime LastUsedTime(TBlockfileAddress rankings) {
    if (rankings.FileType() != kBlockfileRankingsFile) return 0;
    const std::optional<TSpan> span = Locate(rankings);
    std::optional<std::string_view> node;
    if (span) node = span->Bytes->Read(span->Offset, sizeof(std::int64_t));
    return node ? FileTimeOfChromiumTime(LittleEndianAt<std::int64_t>(*node, 0)) : 0;
  }

  // The size bytes at the address; an empty stream needs no address.
  std::optional<std::string> ReadStream(TBlockfileAddress address, std::int32_t size) {
    if (size == 0) return std::string();
    const std::optional<TSpan> span = Locate(address);
    if (size < 0 || !span || static_cast<std::uint64_t>(size) > span->Room) return std::nullopt;
    IEntryBytes* bytes = span->Bytes ? span->Bytes : FFiles.Open(span->Name);
    std::optional<std::string_view> read;
    if (bytes) read = bytes->Read(span->Offset, static_cast<std::size_t>(size));
    if (!read) return std::nullopt;
    return std::string(*read);
  }

  // Checks the address against its file: a block file of the right block size that holds all its blocks, or an
  // external file that exists.
  std::optional<TSpan> Locate(TBlockfileAddress address) {
    if (!address.InUse()) return std::nullopt;
    if (address.FileType() == kBlockfileExternalFile) {
      std::string name = ExternalFileName(address.ExternalNumber());
      const std::optional<std::uint64_t> size = FFiles.Size(name);
      if (!size) return std::nullopt;
      return TSpan{std::move(name), nullptr, 0, *size};
    }
    const std::uint64_t blockSize = BlockSizeOf(address.FileType());
    if (blockSize == 0) return std::nullopt;
    std::string name = BlockFileName(address.FileNumber());
    IEntryBytes* bytes = FFiles.Open(name);
    if (!bytes || !IsBlockFile(name, *bytes, blockSize)) return std::nullopt;
    const std::uint64_t offset = kBlockFileHeaderSize + address.StartBlock() * blockSize;
    const std::uint64_t room = address.BlockCount() * blockSize;
    if (offset + room > bytes->Size()) return std::nullopt;
    return TSpan{std::move(name), bytes, offset, room};
  }

  bool IsBlockFile(const std::string& name, IEntryBytes& bytes, std::uint64_t blockSize) {
    auto known = FBlockSizes.find(name);
    if (known == FBlockSizes.end()) {
      std::uint64_t size = 0;   // 0: not a block file
      const std::optional<std::string_view> header = bytes.Read(0, kBlockFileBlockSizeOffset + 4);
      if (header && LittleEndianAt<std::uint32_t>(*header, 0) == kBlockFileMagic)
        size = LittleEndianAt<std::uint32_t>(*header, kBlockFileBlockSizeOffset);
      known = FBlockSizes.emplace(name, size).first;
    }
    return known->second == blockSize;
  }

  const std::string& FFolder;
  IBlockfileFiles& FFiles;
  const TBrowserCacheSink& FSink;
  TCacheReadReport FReport;
  std::unordered_set<std::uint32_t> FSeen;
  std::map<std::string, std::uint64_t> FBlockSizes;   // each block file's block size, 0 when it is none
};

// A file held whole in memory.
class TWholeFile final : public IEntryBytes {
 public:
  explicit TWholeFile(std::string bytes) : FBytes(std::move(bytes)), FView(FBytes) {}
  std::uint64_t Size() const override { return FBytes.size(); }
  std::optional<std::string_view> Read(std::uint64_t offset, std::size_t size) override {
    return FView.Read(offset, size);
  }

 private:
  std::string FBytes;
  TBufferBytes FView;
};

// The files on disk, opened by name in the cache folder and never through a link: the index and the block files
// open for the whole walk, external files one at a time.
class TBlockfileFolder final : public IBlockfileFiles {
 public:
  explicit TBlockfileFolder(const TEntryFolder& folder) : FFolder(folder) {}

  IEntryBytes* Open(const std::string& name) override {
    if (name.rfind("f_", 0) == 0) {
      return FExternal.Open(FFolder, name) == TEntryFile::TOpenResult::Opened ? &FExternal : nullptr;
    }
    auto [file, added] = FShared.try_emplace(name);
    if (added) file->second = OpenShared(name);
    return file->second.get();
  }

  std::optional<std::uint64_t> Size(const std::string& name) override {
    const std::optional<TFileStatus> status = FFolder.StatusOf(name);
    if (!status || !status->Regular) return std::nullopt;
    return status->Size;
  }

 private:
  // The walk visits a block file of 256-byte blocks (the entry records, and most response records and small
  // bodies) all over: such a file, at most 16 MiB, is read whole at once, as long as the files read whole stay
  // within a budget (a damaged index may name 256 block files); bigger ones only where asked.
  std::unique_ptr<IEntryBytes> OpenShared(const std::string& name) {
    constexpr std::uint64_t kWholeFileLimit = kBlockFileHeaderSize + 0x10000 * 256;
    constexpr std::uint64_t kWholeFilesBudget = 4 * kWholeFileLimit;
    auto file = std::make_unique<TEntryFile>();
    if (file->Open(FFolder, name) != TEntryFile::TOpenResult::Opened) return nullptr;
    if (file->Size() > kWholeFileLimit || FReadWhole + file->Size() > kWholeFilesBudget) return file;
    const std::optional<std::string_view> bytes = file->Read(0, static_cast<std::size_t>(file->Size()));
    if (!bytes) return nullptr;
    FReadWhole += bytes->size();
    return std::make_unique<TWholeFile>(std::string(*bytes));
  }

  const TEntryFolder& FFolder;
  std::uint64_t FReadWhole = 0;
  std::map<std::string, std::unique_ptr<IEntryBytes>> FShared;
  TEntryFile FExternal;
};

}  // namespace

TCacheReadReport WalkChromiumBlockfileCache(const std::string& folder, IBlockfileFiles& files,
                                            const TBrowserCacheSink& sink) {
  return TBlockfileWalk(folder, files, sink).Run();
}

TCacheReadReport ReadChromiumBlockfileCache(const std::string& folder, const TBrowserCacheSink& sink) {
  const TEntryFolder cache(folder);
  if (!cache.IsOpen()) {
    TCacheReadReport report;
    report.Failure = cache.Failure();
    return report;
  }
  TBlockfileFolder files(cache);
  return WalkChromiumBlockfileCache(cache.Path(), files, sink);
}

}  // namespace hoardscope
