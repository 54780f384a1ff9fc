// The bytes of one entry file, as the cache readers see them: a buffer in memory, or a file read with few system
// calls (all of a small file at once, else its first and last bytes, anything else only when asked for).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/caches/BrowserCacheEntry.h"

namespace hoardscope {

class IEntryBytes {
 public:
  virtual ~IEntryBytes() = default;
  virtual std::uint64_t Size() const = 0;
  // The bytes [offset, offset + size); nullopt when they run past the end or cannot be read. The view stays valid
  // until the next call.
  virtual std::optional<std::string_view> Read(std::uint64_t offset, std::size_t size) = 0;
};

class TBufferBytes final : public IEntryBytes {
 public:
  explicit TBufferBytes(std::string_view bytes) : FBytes(bytes) {}
  std::uint64_t Size() const override { return FBytes.size(); }
  std::optional<std::string_view> Read(std::uint64_t offset, std::size_t size) override;

 private:
  std::string_view FBytes;
};

// What a folder holds under a name, the name itself looked at: a link is never followed.
struct TFileStatus {
  bool Regular = false;    // a plain file: not a link, folder, FIFO, device or socket
  std::uint64_t Size = 0;  // of a regular file
};

// A folder of a browser's cache, opened without following a link (on Windows: refused when a reparse point), and
// the files in it opened, looked at and removed by name relative to it, never through a link either: nothing read
// or removed through it lies outside the cache. A folder that is a link, or no folder, stays closed.
class TEntryFolder {
 public:
  explicit TEntryFolder(std::string path);
  // The subfolder of that name in parent, opened the same way; closed when parent is.
  TEntryFolder(const TEntryFolder& parent, std::string_view name);
  ~TEntryFolder();
  TEntryFolder(const TEntryFolder&) = delete;
  TEntryFolder& operator=(const TEntryFolder&) = delete;

  const std::string& Path() const { return FPath; }
  bool IsOpen() const { return FFailure.empty(); }
  // Why the folder is not open ("... is a symbolic link, ..."); empty when it is.
  const std::string& Failure() const { return FFailure; }
  int Descriptor() const { return FDescriptor; }  // -1 on Windows, where files are opened by their whole path

  // The names in the folder, sorted; nullopt when it cannot be listed.
  std::optional<std::vector<std::string>> Names() const;
  // What the folder holds under name; nullopt when nothing.
  std::optional<TFileStatus> StatusOf(std::string_view name) const;
  // Removes the file or link of that name (a link itself, never what it names; never a folder). False when
  // something of that name is still there.
  bool RemoveFile(std::string_view name) const;

 private:
  // Opens the folder, relative to the parent's descriptor where the system has them.
  void Open(int parentDescriptor, const std::string& relative);

  std::string FPath;
  std::string FFailure;
  int FDescriptor = -1;
};

// One entry file at a time; reusing the object for the next file reuses its buffers. A small file costs an open,
// one read and a close.
class TEntryFile final : public IEntryBytes {
 public:
  // NotAFile: a link, folder, FIFO or device by the file's name, which is never opened for reading.
  enum class TOpenResult { Opened, Vanished, NotAFile, Failed };

  TEntryFile();
  ~TEntryFile() override;
  TEntryFile(const TEntryFile&) = delete;
  TEntryFile& operator=(const TEntryFile&) = delete;

  // The file at path: the file of its name in its folder, neither of them followed when a link.
  TOpenResult Open(const std::string& path);
  // The file of that name in folder.
  TOpenResult Open(const TEntryFolder& folder, std::string_view name);
  std::uint64_t Size() const override { return FSize; }
  std::optional<std::string_view> Read(std::uint64_t offset, std::size_t size) override;

 private:
  void Close();
  // Checks that the file just opened is a regular file and reads its start, and where it is larger its end.
  TOpenResult ReadOpened();

  int FDescriptor = -1;
  std::uint64_t FSize = 0;
  std::unique_ptr<char[]> FHead;   // the file's first bytes (all of a small file)
  std::size_t FHeadSize = 0;
  std::string FTail;               // its last bytes, when the head does not hold them
  std::uint64_t FTailOffset = 0;
  std::string FOther;              // anything else asked for
};

// The whole of a browser's own small file outside its cache (a list of profiles, its local state), read without
// waiting on a FIFO; nullopt when it is no regular file, cannot be read or is larger than limit. A link to it is
// followed: such files are the user's, and dotfile managers link them.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit);

// What the cache folder holds at path, the last element not followed; nullopt when nothing.
std::optional<TFileStatus> CacheFileStatus(const std::string& path);
// Removes the file or link at path through its folder, neither followed when a link; false when it is still there.
bool RemoveCacheFile(const std::string& path);

// folder joined with name by the platform's separator.
std::string JoinPath(const std::string& folder, std::string_view name);

// Counts a damaged entry file in the report, keeping the first few names for messages.
void CountSkipped(TCacheReadReport& report, const std::string& path);

// Makes one entry of an opened entry file at path; nullopt when the file is damaged. Runs on several threads at
// once, so it touches nothing but its arguments and what no thread changes.
using TEntryFileParser = std::function<std::optional<TBrowserCacheEntry>(IEntryBytes& file, const std::string& path)>;

// Parses the named files of folder, a share of them on each of a few threads (opening the files costs most), and
// hands the entries to sink in the names' order. Damaged files (anything but a regular file among them) are
// counted in report; files that vanished while the walk ran are passed over.
void ReadEntryFiles(const TEntryFolder& folder, const std::vector<std::string>& names, const TEntryFileParser& parse,
                    TCacheReadReport& report, const TBrowserCacheSink& sink);

}  // namespace hoardscope
