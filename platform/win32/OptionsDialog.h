// The Options dialog window: the dialog resource's controls mirroring TfrmOptions, whose handlers they call.
#pragma once

#include <windows.h>

namespace hoardscope {

class TfrmOptions;

// Shows the dialog modally over owner and returns when it has closed. An error raised by the dialog's logic
// closes the dialog and is raised again here.
void ShowOptionsDialog(HWND owner, TfrmOptions& logic);

}  // namespace hoardscope
