// Local files read in blocks through the C library, unbuffered: each block goes from the system straight into the
// read's buffer.
#include "platform/ports/LocalFile.h"

#include <cstdio>
#include <memory>

namespace hoardscope {
namespace {

// Small enough to stay in the processor's cache while a block is searched, large enough that a file of a few
// hundred kilobytes takes one read.
constexpr std::size_t kBlockSize = 256 * 1024;

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool ReadLocalFile(const std::string& path, const BodyPieceSink& sink) {
  const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  // Left uninitialised: the read fills it. No buffer kept per thread, as a thread_local with a destructor would
  // pin the bar's module in memory after its last object.
  const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kBlockSize);
  for (;;) {
    const std::size_t read = std::fread(buffer.get(), 1, kBlockSize, file.get());
    if (read > 0 && !sink(std::string_view(buffer.get(), read))) return true;
    if (read < kBlockSize) return !std::ferror(file.get());
  }
}

}  // namespace hoardscope
