// libFuzzer target of the blockfile cache walk over files in memory: the input, split at "#|#", gives the index's
// table of addresses, the blocks of data_1 (256 bytes each), the blocks of data_2 (1 KiB each) and the content of
// f_000001; the files' headers are made here. Every body the walk gives must lie within its file.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/caches/chromium/Blockfile.h"
#include "platform/caches/chromium/BlockfileFormat.h"

namespace {

using namespace hoardscope;

class TMemoryFiles final : public IBlockfileFiles {
 public:
  IEntryBytes* Open(const std::string& name) override {
    const auto file = Files.find(name);
    if (file == Files.end()) return nullptr;
    Opened[name] = std::make_unique<TBufferBytes>(file->second);
    return Opened[name].get();
  }
  std::optional<std::uint64_t> Size(const std::string& name) override {
    const auto file = Files.find(name);
    if (file == Files.end()) return std::nullopt;
    return file->second.size();
  }

  std::map<std::string, std::string> Files;
  std::map<std::string, std::unique_ptr<TBufferBytes>> Opened;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string parts[4];
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (std::string& part : parts) {
    const std::size_t end = input.find("#|#");
    part = std::string(input.substr(0, end));
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 3);
  }

  TMemoryFiles files;
  const std::string index = BlockfileIndexHeader(static_cast<std::uint32_t>(parts[0].size() / 4 + 1));
  files.Files["index"] = index + parts[0] + std::string(4, '\0');
  files.Files["data_1"] = BlockFileHeader(256) + parts[1];
  files.Files["data_2"] = BlockFileHeader(1024) + parts[2];
  files.Files["f_000001"] = parts[3];

  WalkChromiumBlockfileCache("", files, [&files](TBrowserCacheEntry&& entry) {
    if (entry.Body.File.empty()) return;
    const auto file = files.Files.find(entry.Body.File);
    if (file == files.Files.end() || entry.Body.Offset + entry.Body.Size > file->second.size()) __builtin_trap();
  });
  return 0;
}
