// TWinTextConverter: the Windows edition's text converter, through the system's code pages.
#pragma once

#include "platform/ports/TextConverter.h"

namespace hoardscope {

class TWinTextConverter : public ITextConverter {
 public:
  std::optional<std::string> ToUtf8(std::string_view bytes, std::string_view encoding) override;
  // The path in the ANSI code page, as the A functions give it.
  std::string PathToUtf8(std::string_view path) override;
};

}  // namespace hoardscope
