// The file-copy port of scripted downloads: copying a cached file into a folder the user chose.
#pragma once

#include <string>

namespace hoardscope {

class IFileCopier {
 public:
  virtual ~IFileCopier() = default;

  // Whether a file (not a folder) exists at path. False for an empty path.
  virtual bool FileExists(const std::string& path) = 0;
  // Whether the two files hold the same bytes. False when either cannot be read.
  virtual bool SameContent(const std::string& first, const std::string& second) = 0;
  // Copies source to target without a progress display. When askBeforeReplacing is set and target exists, the
  // user is asked first, the way the platform's own copy asks; where nobody can be asked, the copy is kept next
  // to target under a free name instead. Failures are not reported.
  virtual void Copy(const std::string& source, const std::string& target, bool askBeforeReplacing) = 0;
};

}  // namespace hoardscope
