// Parsing of the mime.types list and lookups by type name.
#include "platform/linux/MimeTypes.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/Tools.h"

namespace hoardscope {
namespace {

// The words of a line before its comment.
std::vector<std::string> WordsOf(const std::string& line) {
  std::istringstream words(line.substr(0, line.find('#')));
  std::vector<std::string> result;
  for (std::string word; words >> word;) result.push_back(word);
  return result;
}

std::string WithDot(const std::string& extension) {
  return extension.front() == '.' ? extension : "." + extension;
}

}  // namespace

TMimeTypes TMimeTypes::Parse(std::istream& in) {
  TMimeTypes list;
  std::unordered_map<std::string, std::size_t> firstSeen;   // lower-cased name -> place in file order
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> words = WordsOf(line);
    if (words.empty() || words[0].find('/') == std::string::npos) continue;
    const std::string extension = words.size() > 1 ? WithDot(words[1]) : "";
    const auto [place, added] = firstSeen.try_emplace(LowerAscii(words[0]), list.FTypes.size());
    if (added) {
      list.FTypes.push_back({words[0], extension});
    } else if (list.FTypes[place->second].Extension.empty()) {
      list.FTypes[place->second].Extension = extension;
    }
  }
  std::sort(list.FTypes.begin(), list.FTypes.end(),
            [](const TMimeType& a, const TMimeType& b) { return CompareKeys(a.Name, b.Name) < 0; });
  for (std::size_t i = 0; i < list.FTypes.size(); ++i) list.FIndex.emplace(LowerAscii(list.FTypes[i].Name), i);
  return list;
}

TMimeTypes TMimeTypes::Load(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) return {};
  return Parse(in);
}

const TMimeType* TMimeTypes::Find(std::string_view name) const {
  const auto found = FIndex.find(LowerAscii(name));
  return found == FIndex.end() ? nullptr : &FTypes[found->second];
}

}  // namespace hoardscope
