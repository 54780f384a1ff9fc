// libFuzzer target of the header-block readers: any bytes as a response-header block, read for its content type
// (the view's and the HTTP layer's reading) and for single fields. Nothing may be found outside the block, and
// nothing found may carry a line break or the blanks around a field's value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/ResponseHeaders.h"
#include "core/Tools.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hoardscope;
  const std::string block(reinterpret_cast<const char*>(data), size);

  const std::string type = ContentTypeOf(block);
  if (type != "Unknown type") {
    if (Contains(type, "\r\n") || LowerAscii(type) != type) __builtin_trap();
    if (!Contains(LowerAscii(block), "content-type: " + type)) __builtin_trap();
  }

  for (const char* name : {"Content-Type", "Location", "Expires", "X"}) {
    const std::string value(HeaderValueOf(block, name));
    if (value.empty()) continue;
    if (Contains(value, "\n") || !Contains(block, value)) __builtin_trap();
    if (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' || value.back() == '\t') __builtin_trap();
  }
  return 0;
}
