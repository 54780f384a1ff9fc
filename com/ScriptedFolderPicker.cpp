// The folder picker answered by the module's client.
#include "com/ScriptedFolderPicker.h"

#include <utility>

namespace hoardscope {

void TScriptedFolderPicker::SetAnswer(std::optional<std::string> folder) {
  FAnswered = true;
  FAnswer = std::move(folder);
}

std::optional<std::string> TScriptedFolderPicker::PickFolder(const std::string& title) {
  if (!FAnswered) return FPlatformPicker.PickFolder(title);
  return FAnswer;
}

}  // namespace hoardscope
