// The system's list of media types and their file extensions (/etc/mime.types), which the registry store serves
// as the MIME database of HKEY_CLASSES_ROOT.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace hoardscope {

struct TMimeType {
  std::string Name;        // as the list writes it, e.g. "text/html"
  std::string Extension;   // the first listed extension with a leading dot (".html"); "" when none is listed
};

class TMimeTypes {
 public:
  // Reads the mime.types format: per line a type and zero or more extensions separated by blanks; "#" starts a
  // comment. Lines whose first word is not a type ("a/b") are skipped. A type listed twice keeps its first
  // extension.
  static TMimeTypes Parse(std::istream& in);
  // The list in a file; an empty list when the file is missing or unreadable (a system without media types).
  static TMimeTypes Load(const std::filesystem::path& file);

  // The type of that name, ignoring the case of A-Z; nullptr when it is not listed.
  const TMimeType* Find(std::string_view name) const;
  // Every listed type once, ordered by name without regard to case.
  const std::vector<TMimeType>& Types() const { return FTypes; }

 private:
  std::vector<TMimeType> FTypes;
  std::unordered_map<std::string, std::size_t> FIndex;   // lower-cased name -> its place in FTypes
};

}  // namespace hoardscope
