// What the URL cache reader does itself: a body read from the record's local file, and the start of a body.
#include "platform/ports/UrlCacheReader.h"

#include <filesystem>

namespace hoardscope {

BodyRead IUrlCacheReader::ReadBody(const std::string& localFileName, const BodyPieceSink& sink) {
  if (ReadLocalFile(localFileName, sink)) return {};
  std::error_code error;
  const bool exists = std::filesystem::exists(localFileName, error);
  return {exists ? BodyStartState::Unreadable : BodyStartState::Missing, std::string()};
}

BodyStart IUrlCacheReader::ReadBodyStart(const std::string& localFileName, std::size_t maxBytes) {
  BodyStart start;
  const BodyRead read = ReadBody(localFileName, [&](std::string_view piece) {
    start.Bytes.append(piece.substr(0, maxBytes - start.Bytes.size()));
    return start.Bytes.size() < maxBytes;
  });
  if (read.State != BodyStartState::Read) return {read.State, std::string()};
  return start;
}

}  // namespace hoardscope
