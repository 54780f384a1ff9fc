// WinInet's URL cache. Every query that returns a record is made twice: first to learn the size of the record's
// buffer, then into a buffer of that size, whose strings are copied out before it goes.
#include "platform/win32/WinInetCache.h"

#include <vector>

#include "com/ComTypes.h"
#include "platform/win32/UniqueHandle.h"

#include <wininet.h>

namespace hoardscope {
namespace {

constexpr DWORD kPartLength = 1024;
constexpr DWORD kFileNameLength = 261;

using TRecordBuffer = std::vector<std::uint64_t>;  // aligned for INTERNET_CACHE_ENTRY_INFOA

INTERNET_CACHE_ENTRY_INFOA* RecordIn(TRecordBuffer& buffer) {
  return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
}

void SizeFor(TRecordBuffer& buffer, DWORD bytes) { buffer.assign((bytes + 7) / 8, 0); }

FileTime FileTimeOf(const FILETIME& time) {
  return static_cast<FileTime>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

FILETIME WinFileTime(FileTime time) {
  return {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
}

std::string TextOrEmpty(const char* text) { return text ? text : ""; }

CacheEntryRecord RecordOf(const INTERNET_CACHE_ENTRY_INFOA& info) {
  CacheEntryRecord record;
  record.SourceUrl = TextOrEmpty(info.lpszSourceUrlName);
  record.LocalFileName = TextOrEmpty(info.lpszLocalFileName);
  record.SizeLow = info.dwSizeLow;
  record.SizeHigh = info.dwSizeHigh;
  record.LastSyncTime = FileTimeOf(info.LastSyncTime);
  record.ExpireTime = FileTimeOf(info.ExpireTime);
  record.LastModifiedTime = FileTimeOf(info.LastModifiedTime);
  record.CacheEntryType = info.CacheEntryType;
  if (info.lpHeaderInfo) record.HeaderInfo = std::string(info.lpHeaderInfo, info.dwHeaderInfoSize);
  return record;
}

BOOL WINAPI CloseWalk(HANDLE handle) { return FindCloseUrlCache(handle); }

class TWinInetWalk : public IUrlCacheWalk {
 public:
  explicit TWinInetWalk(HANDLE handle) : FHandle(handle) {}

  bool FindNext(CacheEntryRecord& record) override {
    DWORD size = 0;
    FindNextUrlCacheEntryExA(FHandle.Get(), nullptr, &size, nullptr, nullptr, nullptr);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    TRecordBuffer buffer;
    SizeFor(buffer, size);
    if (!FindNextUrlCacheEntryExA(FHandle.Get(), RecordIn(buffer), &size, nullptr, nullptr, nullptr)) return false;
    record = RecordOf(*RecordIn(buffer));
    return true;
  }

 private:
  TUniqueHandle<HANDLE, &CloseWalk> FHandle;
};

}  // namespace

std::unique_ptr<IUrlCacheWalk> TWinInetCache::FindFirst(CacheEntryRecord& first) {
  DWORD size = 0;
  HANDLE probe = FindFirstUrlCacheEntryExA(nullptr, 0, NORMAL_CACHE_ENTRY, 0, nullptr, &size, nullptr, nullptr,
                                           nullptr);
  if (probe) FindCloseUrlCache(probe);
  if (size == 0) return nullptr;
  TRecordBuffer buffer;
  SizeFor(buffer, size);
  HANDLE handle = FindFirstUrlCacheEntryExA(nullptr, 0, NORMAL_CACHE_ENTRY, 0, RecordIn(buffer), &size, nullptr,
                                            nullptr, nullptr);
  if (!handle) return nullptr;
  auto walk = std::make_unique<TWinInetWalk>(handle);
  first = RecordOf(*RecordIn(buffer));
  return walk;
}

std::optional<CacheEntryRecord> TWinInetCache::GetEntryInfo(const std::string& url) {
  DWORD size = 0;
  GetUrlCacheEntryInfoExA(url.c_str(), nullptr, &size, nullptr, nullptr, nullptr, 0);
  if (size == 0) return std::nullopt;
  TRecordBuffer buffer;
  SizeFor(buffer, size);
  if (!GetUrlCacheEntryInfoExA(url.c_str(), RecordIn(buffer), &size, nullptr, nullptr, nullptr, 0)) {
    return std::nullopt;
  }
  return RecordOf(*RecordIn(buffer));
}

bool TWinInetCache::DeleteEntry(const std::string& url) { return DeleteUrlCacheEntryA(url.c_str()) != FALSE; }

CreatedCacheFile TWinInetCache::CreateEntry(const std::string& url, std::uint64_t expectedSize,
                                            const std::string& extension) {
  char fileName[kFileNameLength] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), static_cast<DWORD>(expectedSize), extension.c_str(), fileName, 0)) {
    return {false, "", static_cast<std::uint32_t>(GetLastError())};
  }
  return {true, fileName, 0};
}

std::uint32_t TWinInetCache::CommitEntry(const std::string& url, const std::string& localFileName,
                                         FileTime expireTime, FileTime lastModifiedTime, std::uint32_t entryType,
                                         const std::string& headers) {
  std::string headerText = headers;
  const BOOL committed = CommitUrlCacheEntryA(url.c_str(), localFileName.c_str(), WinFileTime(expireTime),
                                              WinFileTime(lastModifiedTime), entryType,
                                              headerText.empty() ? nullptr : reinterpret_cast<LPBYTE>(headerText.data()),
                                              static_cast<DWORD>(headerText.size()), nullptr, nullptr);
  return committed ? 0 : static_cast<std::uint32_t>(GetLastError());
}

std::optional<UrlParts> TWinInetCache::SplitURL(const std::string& url) {
  char host[kPartLength] = {};
  char path[kPartLength] = {};
  char extra[kPartLength] = {};
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = kPartLength;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = kPartLength;
  parts.lpszExtraInfo = extra;  // asked for, so that the path comes without "?query#fragment"
  parts.dwExtraInfoLength = kPartLength;
  if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return std::nullopt;
  return UrlParts{host, path, parts.nPort};
}

}  // namespace hoardscope
