// What the URL cache port does itself: the start of a body read from the record's local file.
#include "platform/ports/UrlCache.h"

#include <filesystem>
#include <fstream>

namespace hoardscope {

BodyStart IUrlCache::ReadBodyStart(const std::string& localFileName, std::size_t maxBytes) {
  std::ifstream file(localFileName, std::ios::binary);
  if (!file) {
    std::error_code error;
    const bool exists = std::filesystem::exists(localFileName, error);
    return {exists ? BodyStartState::Unreadable : BodyStartState::Missing, std::string()};
  }
  BodyStart start;
  start.Bytes.resize(maxBytes);
  file.read(start.Bytes.data(), static_cast<std::streamsize>(maxBytes));
  start.Bytes.resize(static_cast<std::size_t>(file.gcount()));
  return start;
}

}  // namespace hoardscope
