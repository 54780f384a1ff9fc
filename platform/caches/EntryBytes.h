// The bytes of one entry file, as the cache readers see them: a buffer in memory, or a file read with few system
// calls (all of a small file at once, else its first and last bytes, anything else only when asked for).
#pragma once

#include <cstdint>
#include <cstring>
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

// A folder whose files are opened by name: through a descriptor of the folder where the system has them, which
// spares it walking the folder's path again for every file.
class TEntryFolder {
 public:
  explicit TEntryFolder(std::string path);
  ~TEntryFolder();
  TEntryFolder(const TEntryFolder&) = delete;
  TEntryFolder& operator=(const TEntryFolder&) = delete;

  const std::string& Path() const { return FPath; }
  int Descriptor() const { return FDescriptor; }  // -1 where files are opened by their whole path

 private:
  std::string FPath;
  int FDescriptor = -1;
};

// One entry file at a time; reusing the object for the next file reuses its buffers. A small file costs an open,
// one read and a close.
class TEntryFile final : public IEntryBytes {
 public:
  enum class TOpenResult { Opened, Vanished, Failed };

  TEntryFile();
  ~TEntryFile() override;
  TEntryFile(const TEntryFile&) = delete;
  TEntryFile& operator=(const TEntryFile&) = delete;

  TOpenResult Open(const std::string& path);
  // The file of that name in folder: the same as opening the folder's path joined with name.
  TOpenResult Open(const TEntryFolder& folder, const std::string& name);
  std::uint64_t Size() const override { return FSize; }
  std::optional<std::string_view> Read(std::uint64_t offset, std::size_t size) override;

 private:
  void Close();
  // Reads the start, and where the file is larger its end, of the file just opened.
  TOpenResult ReadOpened();

  int FDescriptor = -1;
  std::uint64_t FSize = 0;
  std::unique_ptr<char[]> FHead;   // the file's first bytes (all of a small file)
  std::size_t FHeadSize = 0;
  std::string FTail;               // its last bytes, when the head does not hold them
  std::uint64_t FTailOffset = 0;
  std::string FOther;              // anything else asked for
};

// The value of type T stored little-endian at offset, which the caller has checked lies within bytes.
template <typename T>
T LittleEndianAt(std::string_view bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);  // every target is little-endian, like the caches
  return value;
}

// The names of the files in folder, sorted; nullopt when the folder cannot be listed.
std::optional<std::vector<std::string>> ListFileNames(const std::string& folder);

// folder joined with name by the platform's separator.
std::string JoinPath(const std::string& folder, std::string_view name);

// Counts a damaged entry file in the report, keeping the first few names for messages.
void CountSkipped(TCacheReadReport& report, const std::string& path);

// Makes one entry of an opened entry file at path; nullopt when the file is damaged. Runs on several threads at
// once, so it touches nothing but its arguments and what no thread changes.
using TEntryFileParser = std::function<std::optional<TBrowserCacheEntry>(IEntryBytes& file, const std::string& path)>;

// Parses the named files of folder, a share of them on each of a few threads (opening the files costs most), and
// hands the entries to sink in the names' order. Damaged files are counted in report; files that vanished while
// the walk ran are passed over.
void ReadEntryFiles(const std::string& folder, const std::vector<std::string>& names, const TEntryFileParser& parse,
                    TCacheReadReport& report, const TBrowserCacheSink& sink);

}  // namespace hoardscope
