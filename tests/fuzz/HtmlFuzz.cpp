// libFuzzer target of the HTML scanner through its two users: any bytes as a page. A title is UTF-8 without white
// space at its ends or doubled, whatever the page and its declared encoding; RewriteLinks with nothing new to write
// gives the page back byte for byte, and every value it wrote reads back as written.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/HtmlLinks.h"
#include "core/PageTitle.h"
#include "core/TextEncodings.h"
#include "core/Tools.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hoardscope;
  static const char* const kContentTypes[] = {"text/html", "text/html; charset=utf-16le", "Unknown type",
                                              "text/html; charset=\"iso-2022-jp\"", "text/html; charset=x-user-defined"};
  if (size == 0) return 0;
  const char* contentType = kContentTypes[data[0] % std::size(kContentTypes)];
  const std::string page(reinterpret_cast<const char*>(data) + 1, size - 1);

  for (const bool complete : {true, false}) {
    const std::optional<std::string> title = PageTitleOf(page, complete, contentType, nullptr);
    if (complete && !title) __builtin_trap();
    if (!title) continue;
    if (!IsValidUtf8(*title) || TrimHtmlSpace(*title) != *title || title->find("  ") != std::string::npos) {
      __builtin_trap();
    }
  }

  if (RewriteLinks(page, [](const std::string&) { return std::nullopt; }) != page) __builtin_trap();
  if (RewriteLinks(page, [](const std::string& value) { return value; }) != page) __builtin_trap();
  // Every value written anew, quoted and escaped: read again, each is the new value.
  std::vector<std::string> written;
  const std::string rewritten = RewriteLinks(page, [&](const std::string& value) {
    written.push_back("\"&" + value);
    return std::optional<std::string>(written.back());
  });
  std::vector<std::string> read;
  RewriteLinks(rewritten, [&](const std::string& value) {
    read.push_back(value);
    return std::nullopt;
  });
  if (read != written) __builtin_trap();
  return 0;
}
