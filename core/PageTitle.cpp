// Finding the title of a cached page by streaming through the file.
#include "core/PageTitle.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr std::string_view kOpenTag = "<title>";
constexpr std::string_view kCloseTag = "</title>";
constexpr std::size_t kChunkSize = 64 * 1024;

struct TTitleSpan {
  std::optional<std::uint64_t> Open;   // offset of the first "<title>"
  std::optional<std::uint64_t> Close;  // offset of the first "</title>"
};

// Finds the first of each tag in the text before the file's first NUL, stopping at the first closing tag.
TTitleSpan FindTitleTags(std::ifstream& file) {
  TTitleSpan span;
  std::vector<char> chunk(kChunkSize);
  std::string window;             // the carried-over tail plus the chunk just read
  std::uint64_t windowStart = 0;  // file offset of window[0]
  while (file) {
    file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::string_view read(chunk.data(), static_cast<std::size_t>(file.gcount()));
    if (read.empty()) break;
    const std::size_t nul = read.find('\0');
    window.append(read.substr(0, nul));
    if (!span.Open) {
      if (const std::size_t at = window.find(kOpenTag); at != std::string::npos) span.Open = windowStart + at;
    }
    if (const std::size_t at = window.find(kCloseTag); at != std::string::npos) {
      span.Close = windowStart + at;
      break;
    }
    if (nul != std::string_view::npos) break;
    const std::size_t keep = std::min(window.size(), kCloseTag.size() - 1);
    windowStart += window.size() - keep;
    window.erase(0, window.size() - keep);
  }
  return span;
}

// The text's line breaks (CR, LF or CR LF) each become CR LF, as when lines are read and joined again.
std::string WithCrLfBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      result += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

std::optional<std::string> ReadTitle(const std::string& localFile) {
  std::ifstream file(localFile, std::ios::binary);
  if (!file) return std::nullopt;
  const TTitleSpan span = FindTitleTags(file);
  if (!span.Open || !span.Close || *span.Open + kOpenTag.size() >= *span.Close) return std::nullopt;
  const std::uint64_t start = *span.Open + kOpenTag.size();
  std::string title(static_cast<std::size_t>(*span.Close - start), '\0');
  file.clear();
  file.seekg(static_cast<std::streamoff>(start));
  if (!file.read(title.data(), static_cast<std::streamsize>(title.size()))) return std::nullopt;
  return WithCrLfBreaks(title);
}

}  // namespace

void GetPageTitle(const std::string& localFile, std::string& name) {
  std::error_code error;
  if (localFile.empty() || !std::filesystem::exists(localFile, error)) return;
  name = ReadTitle(localFile).value_or(FileNameOf(localFile, true));
}

}  // namespace hoardscope
