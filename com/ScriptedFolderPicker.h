// TScriptedFolderPicker: lets a run without a person answer the folder picker of scripted downloads. When the
// environment variable HOARDSCOPE_FOLDER_ANSWER is set, its value is the picked folder (empty: the user
// cancelled); otherwise the platform's own picker appears.
#pragma once

#include "platform/ports/FolderPicker.h"

namespace hoardscope {

inline constexpr const char* kFolderAnswerVariable = "HOARDSCOPE_FOLDER_ANSWER";

class TScriptedFolderPicker : public IFolderPicker {
 public:
  explicit TScriptedFolderPicker(IFolderPicker& platformPicker) : FPlatformPicker(platformPicker) {}

  std::optional<std::string> PickFolder(const std::string& title) override;

 private:
  IFolderPicker& FPlatformPicker;
};

}  // namespace hoardscope
