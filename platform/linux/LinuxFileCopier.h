// The file copy of scripted downloads in the Linux edition: a plain file copy; replacing a file asks the user
// through the host's question, and without one keeps both files.
#pragma once

#include <functional>
#include <optional>

#include "platform/ports/FileCopier.h"

namespace hoardscope {

class TLinuxFileCopier : public IFileCopier {
 public:
  // Asks whether the file at target is to be replaced; nullopt when there is nobody to ask.
  using TReplaceQuestion = std::function<std::optional<bool>(const std::string& target)>;

  explicit TLinuxFileCopier(TReplaceQuestion ask) : FAsk(std::move(ask)) {}

  bool FileExists(const std::string& path) override;
  bool SameContent(const std::string& first, const std::string& second) override;
  // A "no" keeps the folder as it is; with nobody to ask the copy goes to "name (2).ext" (or the next free
  // number) beside the target, unless one of those already holds the same content.
  void Copy(const std::string& source, const std::string& target, bool askBeforeReplacing) override;

 private:
  // The first free name for a copy beside target ("name (2).ext", "name (3).ext", ...); "" when a copy of the
  // same content was kept there before.
  std::string KeptCopyBeside(const std::string& source, const std::string& target);

  TReplaceQuestion FAsk;
};

}  // namespace hoardscope
