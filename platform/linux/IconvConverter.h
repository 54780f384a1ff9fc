// TIconvConverter: the Linux edition's text converter, with iconv. Paths are UTF-8 already.
#pragma once

#include <iconv.h>

#include <map>
#include <string>

#include "platform/ports/TextConverter.h"

namespace hoardscope {

class TIconvConverter : public ITextConverter {
 public:
  TIconvConverter() = default;
  TIconvConverter(const TIconvConverter&) = delete;
  TIconvConverter& operator=(const TIconvConverter&) = delete;
  ~TIconvConverter() override;

  std::optional<std::string> ToUtf8(std::string_view bytes, std::string_view encoding) override;
  // The path with what is not UTF-8 in it as U+FFFD.
  std::string PathToUtf8(std::string_view path) override;

 private:
  // The open conversion from this encoding, opened once; nullptr when iconv has none.
  iconv_t ConversionFrom(std::string_view encoding);

  std::map<std::string, iconv_t, std::less<>> FConversions;
};

}  // namespace hoardscope
