// WinInet's URL cache. Every query that returns a record is made twice: first to learn the size of the record's
// buffer, then into a buffer of that size, whose strings are copied out before it goes.
#include "platform/win32/WinInetCache.h"

#include <vector>

#include "com/ComTypes.h"
#include "core/Tools.h"
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

// Runs a record query twice: without a buffer to learn the record's size, then into a buffer of that size.
// query(info, &size) returns whether it filled info. False when either call fails.
template <typename TQuery>
bool FetchRecord(TRecordBuffer& buffer, TQuery query) {
  DWORD size = 0;
  if (query(nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
  buffer.assign((size + 7) / 8, 0);
  return query(RecordIn(buffer), &size);
}

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
  record.LastAccessTime = FileTimeOf(info.LastAccessTime);
  record.CacheEntryType = info.CacheEntryType;
  if (info.lpHeaderInfo) record.HeaderInfo = std::string(info.lpHeaderInfo, info.dwHeaderInfoSize);
  return record;
}

// A normal entry of a web page: what the view lists, whichever walk found it.
bool IsNormalPageEntry(const INTERNET_CACHE_ENTRY_INFOA& info) {
  const std::string url = TextOrEmpty(info.lpszSourceUrlName);
  return (info.CacheEntryType & NORMAL_CACHE_ENTRY) &&
         !(info.CacheEntryType & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) &&
         (StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://"));
}

bool AnyEntry(const INTERNET_CACHE_ENTRY_INFOA&) { return true; }

// The two calls of one kind of walk, and which of its records it yields.
struct TWalkCalls {
  HANDLE (*First)(INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size);
  BOOL(WINAPI* Next)(HANDLE walk, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size);  // as WinInet's own
  bool (*Keep)(const INTERNET_CACHE_ENTRY_INFOA& info);
};

HANDLE FirstNormalEntry(INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
  return FindFirstUrlCacheEntryExA(nullptr, 0, NORMAL_CACHE_ENTRY, 0, info, size, nullptr, nullptr, nullptr);
}

BOOL WINAPI NextNormalEntry(HANDLE walk, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
  return FindNextUrlCacheEntryExA(walk, info, size, nullptr, nullptr, nullptr);
}

// No pattern: the content container (Wine also goes on into the cookie and history containers).
HANDLE FirstContentEntry(INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
  return FindFirstUrlCacheEntryA(nullptr, info, size);
}

constexpr TWalkCalls kExtendedWalk{FirstNormalEntry, NextNormalEntry, IsNormalPageEntry};
constexpr TWalkCalls kContentWalk{FirstContentEntry, FindNextUrlCacheEntryA, IsNormalPageEntry};
constexpr TWalkCalls kAnyEntryWalk{FirstContentEntry, FindNextUrlCacheEntryA, AnyEntry};

BOOL WINAPI CloseWalk(HANDLE handle) { return FindCloseUrlCache(handle); }
using TWalkHandle = TUniqueHandle<HANDLE, &CloseWalk>;

class TWinInetWalk : public IUrlCacheWalk {
 public:
  TWinInetWalk(const TWalkCalls& calls, TWalkHandle handle) : FCalls(calls), FHandle(std::move(handle)) {}

  bool FindNext(CacheEntryRecord& record) override {
    TRecordBuffer buffer;
    while (FHandle && FetchRecord(buffer, [this](INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
             return FCalls.Next(FHandle.Get(), info, size) != FALSE;
           })) {
      if (FCalls.Keep(*RecordIn(buffer))) {
        record = RecordOf(*RecordIn(buffer));
        return true;
      }
    }
    FHandle = TWalkHandle();  // any failure ends the walk for good
    return false;
  }

 private:
  const TWalkCalls& FCalls;
  TWalkHandle FHandle;
};

// Starts a walk and fills the first record it keeps; nullptr when it yields none.
std::unique_ptr<IUrlCacheWalk> StartWalk(const TWalkCalls& calls, CacheEntryRecord& first) {
  TRecordBuffer buffer;
  TWalkHandle handle;
  const bool found = FetchRecord(buffer, [&](INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
    *handle.Out() = calls.First(info, size);
    return info && handle;
  });
  if (!found) return nullptr;
  auto walk = std::make_unique<TWinInetWalk>(calls, std::move(handle));
  if (calls.Keep(*RecordIn(buffer))) {
    first = RecordOf(*RecordIn(buffer));
    return walk;
  }
  if (!walk->FindNext(first)) return nullptr;
  return walk;
}

}  // namespace

std::unique_ptr<IUrlCacheWalk> TWinInetCache::FindFirst(CacheEntryRecord& first) {
  if (auto walk = StartWalk(kExtendedWalk, first)) return walk;
  return StartWalk(kContentWalk, first);
}

std::unique_ptr<IUrlCacheWalk> TWinInetCache::FindFirstOfAnyType(CacheEntryRecord& first) {
  return StartWalk(kAnyEntryWalk, first);
}

std::optional<CacheEntryRecord> TWinInetCache::GetEntryInfo(const std::string& url) {
  TRecordBuffer buffer;
  const bool found = FetchRecord(buffer, [&url](INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
    return GetUrlCacheEntryInfoExA(url.c_str(), info, size, nullptr, nullptr, nullptr, 0) != FALSE;
  });
  if (!found) return std::nullopt;
  return RecordOf(*RecordIn(buffer));
}

bool TWinInetCache::DeleteEntry(const std::string& url) { return DeleteUrlCacheEntryA(url.c_str()) != FALSE; }

CreatedCacheFile TWinInetCache::CreateEntry(const std::string& url, std::uint64_t expectedSize,
                                            const std::string& extension) {
  char fileName[kFileNameLength] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), static_cast<DWORD>(expectedSize), extension.c_str(), fileName, 0)) {
    return {false, "", static_cast<std::uint32_t>(GetLastError())};
  }
  FReserved.insert(fileName);
  return {true, fileName, 0};
}

std::uint32_t TWinInetCache::CommitEntry(const std::string& url, const std::string& localFileName,
                                         FileTime expireTime, FileTime lastModifiedTime, std::uint32_t entryType,
                                         const std::string& headers) {
  if (!FReserved.contains(localFileName)) return ERROR_INVALID_PARAMETER;
  std::string headerText = headers;
  const BOOL committed = CommitUrlCacheEntryA(url.c_str(), localFileName.c_str(), WinFileTime(expireTime),
                                              WinFileTime(lastModifiedTime), entryType,
                                              headerText.empty() ? nullptr : reinterpret_cast<LPBYTE>(headerText.data()),
                                              static_cast<DWORD>(headerText.size()), nullptr, nullptr);
  if (!committed) return static_cast<std::uint32_t>(GetLastError());
  FReserved.erase(localFileName);
  return 0;
}

bool TWinInetCache::DiscardReservedFile(const std::string& localFileName) {
  if (!FReserved.contains(localFileName)) return false;
  if (!DeleteFileA(localFileName.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  FReserved.erase(localFileName);
  return true;
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

bool TWinInetCache::SetLastSyncTime(const std::string& url, FileTime time) {
  INTERNET_CACHE_ENTRY_INFOA info{};
  info.dwStructSize = sizeof info;
  info.LastSyncTime = WinFileTime(time);
  // Wine takes the new last-sync time from the access-time field; Windows from its own. Both carry it.
  info.LastAccessTime = info.LastSyncTime;
  return SetUrlCacheEntryInfoA(url.c_str(), &info, CACHE_ENTRY_SYNCTIME_FC) != FALSE;
}

std::size_t TWinInetCache::Clear() {
  // The URLs are gathered first: deleting entries under a running walk could make it skip some.
  std::vector<std::string> urls;
  CacheEntryRecord record;
  if (auto walk = FindFirstOfAnyType(record)) {
    do {
      urls.push_back(record.SourceUrl);
    } while (walk->FindNext(record));
  }
  std::size_t refused = 0;
  for (const std::string& url : urls) refused += DeleteEntry(url) ? 0 : 1;
  return refused;
}

}  // namespace hoardscope
