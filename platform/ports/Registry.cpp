// Building and reading the two value types the program stores: strings and 32-bit numbers.
#include "platform/ports/Registry.h"

#include <algorithm>

namespace hoardscope {

std::string RegistryRootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
  }
  return "HKEY_UNKNOWN";
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

RegistryValue MakeStringValue(const std::string& name, const std::string& text) {
  return {name, RegistryType::String, std::vector<std::uint8_t>(text.begin(), text.end())};
}

RegistryValue MakeDwordValue(const std::string& name, std::uint32_t number) {
  // Little-endian, as the registry stores REG_DWORD on every platform it runs on.
  std::vector<std::uint8_t> data(4);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(number >> (8 * i));
  return {name, RegistryType::Dword, std::move(data)};
}

std::optional<std::string> StringOf(const RegistryValue& value) {
  if (value.Type != RegistryType::String && value.Type != RegistryType::ExpandString) return std::nullopt;
  const auto end = std::find(value.Data.begin(), value.Data.end(), std::uint8_t{0});
  return std::string(value.Data.begin(), end);
}

std::optional<std::uint32_t> DwordOf(const RegistryValue& value) {
  if (value.Type != RegistryType::Dword || value.Data.size() != 4) return std::nullopt;
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < 4; ++i) number |= static_cast<std::uint32_t>(value.Data[i]) << (8 * i);
  return number;
}

}  // namespace hoardscope
