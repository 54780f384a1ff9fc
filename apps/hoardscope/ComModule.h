// The edition's loader of COM modules, TComModule.
#pragma once

#ifdef _WIN32
#include "platform/win32/WinComModule.h"
#else
#include "platform/linux/com/ComModule.h"
#endif
