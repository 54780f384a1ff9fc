// Local files read in blocks through the C library, unbuffered: each block goes from the system straight into the
// thread's buffer.
#include "platform/ports/LocalFile.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace hoardscope {
namespace {

// Small enough to stay in the processor's cache while a block is searched, large enough that a file of a few
// hundred kilobytes takes one read.
constexpr std::size_t kBlockSize = 256 * 1024;

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// One buffer for every read of this thread: most cached files are small, and a fresh buffer for each would cost
// more than reading them.
std::vector<char>& ThreadBuffer() {
  thread_local std::vector<char> buffer(kBlockSize);
  return buffer;
}

}  // namespace

bool ReadLocalFile(const std::string& path, const BodyPieceSink& sink) {
  const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  std::vector<char>& buffer = ThreadBuffer();
  for (;;) {
    const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (read > 0 && !sink(std::string_view(buffer.data(), read))) return true;
    if (read < buffer.size()) return !std::ferror(file.get());
  }
}

}  // namespace hoardscope
