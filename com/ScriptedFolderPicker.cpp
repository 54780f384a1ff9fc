// The folder picker answered from the environment.
#include "com/ScriptedFolderPicker.h"

#include <cstdlib>

namespace hoardscope {

std::optional<std::string> TScriptedFolderPicker::PickFolder(const std::string& title) {
  const char* answer = std::getenv(kFolderAnswerVariable);
  if (!answer) return FPlatformPicker.PickFolder(title);
  if (!*answer) return std::nullopt;
  return std::string(answer);
}

}  // namespace hoardscope
