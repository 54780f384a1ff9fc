// The About box: name, version, what Hoardscope does and where its help is; a dialog resource shown modally.
#pragma once

#include <windows.h>

namespace hoardscope {

inline constexpr const char* kVersionText = "Version 1.2";

void ShowAboutBox(HWND owner);

}  // namespace hoardscope
