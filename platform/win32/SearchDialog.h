// The Search dialog window: the dialog resource's controls mirroring TfrmSearch, whose handlers they call.
#pragma once

#include <windows.h>

namespace hoardscope {

class TfrmSearch;

// Shows the dialog modally over owner and returns when it has closed. An error raised by the dialog's logic
// closes the dialog and is raised again here.
void ShowSearchDialog(HWND owner, TfrmSearch& logic);

}  // namespace hoardscope
