// The text converter port: text in the encoding of a web page, and the platform's local paths, as UTF-8, the
// encoding of every caption the view shows. Linux serves it with iconv; Windows with its code pages.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hoardscope {

class ITextConverter {
 public:
  virtual ~ITextConverter() = default;

  // The bytes in this encoding (a name as browsers give it, lower case: "shift_jis", "koi8-r", "gbk",
  // "iso-8859-2") as UTF-8, each sequence the encoding does not define as U+FFFD (or the platform's own
  // replacement). nullopt when the platform has no converter from this encoding.
  virtual std::optional<std::string> ToUtf8(std::string_view bytes, std::string_view encoding) = 0;

  // A local path as the platform's file functions give it (the ANSI code page on Windows) as UTF-8.
  virtual std::string PathToUtf8(std::string_view path) = 0;
};

}  // namespace hoardscope
