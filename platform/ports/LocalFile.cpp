// Local files read in blocks through the C library, unbuffered: each block goes from the system straight into a
// buffer on the reading thread's stack.
#include "platform/ports/LocalFile.h"

#include <cstdio>
#include <memory>

namespace hoardscope {
namespace {

// Small enough to stay in the processor's cache while a block is searched and to live on any thread's
// stack, large enough that most cached files take one read.
constexpr std::size_t kBlockSize = 64 * 1024;

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool ReadLocalFile(const std::string& path, const BodyPieceSink& sink) {
  const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  // On the stack, left uninitialised: the read fills it. (A buffer kept per thread in a thread_local would pin the
  // bar's module in memory after its last object.)
  char buffer[kBlockSize];
  for (;;) {
    const std::size_t read = std::fread(buffer, 1, kBlockSize, file.get());
    if (read > 0 && !sink(std::string_view(buffer, read))) return true;
    if (read < kBlockSize) return !std::ferror(file.get());
  }
}

}  // namespace hoardscope
