// libFuzzer target of the registry values: any bytes as a value's type, name and data, written into a registry
// store and read back (the store's decoding of its rows), then read as text and as a number. What was written
// comes back as it was; the readings keep to the value's own bytes.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/linux/RegistryStore.h"

namespace {

using namespace hoardscope;

IRegistryKey& Key() {
  static const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("hoardscope-fuzz-registry-" + std::to_string(::getpid()) + ".db");
  static TRegistryStore store(file);
  static const std::unique_ptr<IRegistryKey> key = store.CreateKey(RegistryRoot::CurrentUser, "Software\\Fuzz");
  return *key;
}

// The first four bytes are the type, then the name up to a NUL, then the data.
RegistryValue ValueOf(const std::uint8_t* data, std::size_t size) {
  RegistryValue value;
  std::uint32_t type = 0;
  std::memcpy(&type, data, std::min<std::size_t>(size, 4));
  value.Type = static_cast<RegistryType>(type % 16);
  const std::uint8_t* rest = data + std::min<std::size_t>(size, 4);
  const std::uint8_t* end = data + size;
  const std::uint8_t* nameEnd = std::find(rest, end, std::uint8_t{0});
  value.Name.assign(rest, nameEnd);
  if (nameEnd != end) value.Data.assign(nameEnd + 1, end);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const RegistryValue written = ValueOf(data, size);
  Key().WriteValue(written);
  const std::optional<RegistryValue> read = Key().ReadValue(written.Name);
  if (!read || read->Type != written.Type || read->Data != written.Data) __builtin_trap();
  Key().DeleteValue(written.Name);

  if (const std::optional<std::string> text = StringOf(*read)) {
    if (!std::string(read->Data.begin(), read->Data.end()).starts_with(*text)) __builtin_trap();
    if (StringOf(MakeStringValue("", *text)) != text) __builtin_trap();
  }
  if (const std::optional<std::uint32_t> number = DwordOf(*read)) {
    if (MakeDwordValue(read->Name, *number).Data != read->Data) __builtin_trap();
  }
  return 0;
}
