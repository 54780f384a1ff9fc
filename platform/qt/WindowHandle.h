// Window handles of the Linux edition: a handle (HWND, or the ports' TWindowHandle) is the address of the Qt
// widget it stands for. The host and the module live in one process and share one Qt, so the address serves both.
#pragma once

#include <QWidget>

#include "com/ComTypes.h"
#include "platform/ports/ViewFactory.h"

namespace hoardscope {

inline HWND WindowHandleOf(QWidget* widget) { return reinterpret_cast<HWND>(widget); }
inline QWidget* WidgetOf(HWND window) { return reinterpret_cast<QWidget*>(window); }
inline QWidget* WidgetOf(TWindowHandle window) { return static_cast<QWidget*>(window); }

}  // namespace hoardscope
