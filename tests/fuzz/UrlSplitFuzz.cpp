// libFuzzer target of the URL split and the file-name helpers: any bytes as a URL. Host and path are pieces of the
// URL itself, bounded, and cut where the split says; the file-name parts are pieces of the path.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/Tools.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hoardscope;
  const std::string url(reinterpret_cast<const char*>(data), size);

  const std::optional<UrlParts> parts = CrackUrl(url);
  if (!parts) return 0;
  const std::string& host = parts->Host;
  const std::string& path = parts->Path;
  if (host.size() > 1023 || path.size() > 1023) __builtin_trap();
  if (!Contains(url, host) || host.find_first_of("/?#@:") != std::string::npos) __builtin_trap();
  if (!path.empty() && (path.front() != '/' || path.find_first_of("?#") != std::string::npos)) __builtin_trap();
  if (!Contains(url.substr(url.find("//") + 2), path)) __builtin_trap();

  const std::string name = FileNameOf(path, false);
  if (!path.ends_with(name)) __builtin_trap();
  const std::string extension = PathFindExtension(path);
  if (!extension.empty() && (extension.front() != '.' || !path.ends_with(extension))) __builtin_trap();
  if (FileNameOf(path, true).size() > name.size()) __builtin_trap();  // undecorating only ever removes
  return 0;
}
