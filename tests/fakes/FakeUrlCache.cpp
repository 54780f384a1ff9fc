// The in-memory URL cache of the unit tests.
#include "tests/fakes/FakeUrlCache.h"

#include <algorithm>

#include "core/Tools.h"

namespace hoardscope {

namespace {
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kCookieOrHistory = 0x00300000;
}  // namespace

class TFakeUrlCache::TWalk : public IUrlCacheWalk {
 public:
  TWalk(std::vector<CacheEntryRecord> records, std::size_t failAfter)
      : FRecords(std::move(records)), FFailAfter(failAfter) {}
  bool FindNext(CacheEntryRecord& record) override {
    if (FNext >= FRecords.size() || FNext >= FFailAfter) return false;
    record = FRecords[FNext++];
    return true;
  }

 private:
  std::vector<CacheEntryRecord> FRecords;
  std::size_t FFailAfter;
  std::size_t FNext = 1;  // the first record went out with FindFirst
};

void TFakeUrlCache::Put(CacheEntryRecord record) {
  DeleteEntry(record.SourceUrl);
  FEntries.push_back(std::move(record));
}

std::vector<CacheEntryRecord> TFakeUrlCache::NormalEntries() const {
  std::vector<CacheEntryRecord> normal;
  for (const CacheEntryRecord& record : FEntries) {
    if ((record.CacheEntryType & kNormalCacheEntry) && !(record.CacheEntryType & kCookieOrHistory)) {
      normal.push_back(record);
    }
  }
  return normal;
}

std::unique_ptr<IUrlCacheWalk> TFakeUrlCache::FindFirst(CacheEntryRecord& first) {
  std::vector<CacheEntryRecord> normal = NormalEntries();
  if (normal.empty() || FFailAfter == 0) return nullptr;
  first = normal.front();
  return std::make_unique<TWalk>(std::move(normal), FFailAfter);
}

std::optional<CacheEntryRecord> TFakeUrlCache::GetEntryInfo(const std::string& url) {
  for (const CacheEntryRecord& record : FEntries) {
    if (record.SourceUrl == url) return record;
  }
  return std::nullopt;
}

bool TFakeUrlCache::DeleteEntry(const std::string& url) {
  if (!DeleteFailure.empty()) return false;
  const auto removed = std::remove_if(FEntries.begin(), FEntries.end(),
                                      [&](const CacheEntryRecord& record) { return record.SourceUrl == url; });
  const bool found = removed != FEntries.end();
  FEntries.erase(removed, FEntries.end());
  return found;
}

CreatedCacheFile TFakeUrlCache::CreateEntry(const std::string& url, std::uint64_t, const std::string& extension) {
  std::string name = FileNameOf(CrackUrl(url).value_or(UrlParts{}).Path, false);
  if (name.empty()) name = "index";
  if (PathFindExtension(name).empty() && !extension.empty()) name += "." + extension;
  const std::string local = std::string("cache") + kPathSeparator + std::to_string(FReservations++) +
                            kPathSeparator + name;
  FReserved.push_back(local);
  return {true, local, 0};
}

std::uint32_t TFakeUrlCache::CommitEntry(const std::string& url, const std::string& localFileName,
                                         FileTime expireTime, FileTime lastModifiedTime, std::uint32_t entryType,
                                         const std::string& headers) {
  if (std::find(FReserved.begin(), FReserved.end(), localFileName) == FReserved.end()) {
    return localFileName.empty() ? kErrorFileNotFound : kErrorInvalidParameter;
  }
  CacheEntryRecord record;
  record.SourceUrl = url;
  record.LocalFileName = localFileName;
  record.ExpireTime = expireTime;
  record.LastModifiedTime = lastModifiedTime;
  record.CacheEntryType = entryType;
  if (!headers.empty()) record.HeaderInfo = headers;
  Put(std::move(record));
  return 0;
}

bool TFakeUrlCache::DiscardReservedFile(const std::string& localFileName) {
  const bool used = std::any_of(FEntries.begin(), FEntries.end(),
                                [&](const CacheEntryRecord& record) { return record.LocalFileName == localFileName; });
  const auto reserved = std::find(FReserved.begin(), FReserved.end(), localFileName);
  if (used || reserved == FReserved.end()) return false;
  FReserved.erase(reserved);
  return true;
}

bool TFakeUrlCache::SetLastSyncTime(const std::string& url, FileTime time) {
  const auto entry = std::find_if(FEntries.begin(), FEntries.end(),
                                  [&](const CacheEntryRecord& record) { return record.SourceUrl == url; });
  if (entry == FEntries.end()) return false;
  entry->LastSyncTime = time;
  return true;
}

std::optional<UrlParts> TFakeUrlCache::SplitURL(const std::string& url) { return CrackUrl(url); }

class TEndlessUrlCache::TEndlessWalk : public IUrlCacheWalk {
 public:
  explicit TEndlessWalk(TEndlessUrlCache& cache) : FCache(cache) {}
  bool FindNext(CacheEntryRecord& record) override {
    if (FCache.Walked >= kLimit) return false;
    const std::string number = std::to_string(kLimit - FCache.Walked++);
    record.SourceUrl = "http://h/" + std::string(8 - number.size(), '0') + number + ".htm";
    record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    return true;
  }

 private:
  TEndlessUrlCache& FCache;
};

std::unique_ptr<IUrlCacheWalk> TEndlessUrlCache::FindFirst(CacheEntryRecord& first) {
  Walked = 0;
  auto walk = std::make_unique<TEndlessWalk>(*this);
  walk->FindNext(first);
  return walk;
}

}  // namespace hoardscope
