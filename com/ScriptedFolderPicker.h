// TScriptedFolderPicker: the download object's folder picker as the module glue offers it. A client that loads the
// module can answer the picker itself through the module's entry point HoardscopeAnswerFolderPicker (the command
// line's call --folder/--cancel does); until one does, the platform's own picker asks the user.
#pragma once

#include "com/ComTypes.h"
#include "platform/ports/FolderPicker.h"

namespace hoardscope {

// The module's entry point that installs the answer: the folder, or nullptr for a cancelled picker.
inline constexpr const char* kAnswerFolderPickerEntry = "HoardscopeAnswerFolderPicker";
using TAnswerFolderPicker = HRESULT(STDMETHODCALLTYPE*)(const char* folder);

class TScriptedFolderPicker : public IFolderPicker {
 public:
  explicit TScriptedFolderPicker(IFolderPicker& platformPicker) : FPlatformPicker(platformPicker) {}

  // From now on every pick gives this folder without asking; nullopt: every pick is cancelled.
  void SetAnswer(std::optional<std::string> folder);

  std::optional<std::string> PickFolder(const std::string& title) override;

 private:
  IFolderPicker& FPlatformPicker;
  bool FAnswered = false;
  std::optional<std::string> FAnswer;
};

}  // namespace hoardscope
