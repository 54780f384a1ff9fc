// The COM and OLE Automation types of the module: the system headers on Windows, the COM-compatible layer of the
// Linux edition elsewhere. The only header of the portable COM sources that differs between the two editions.
#pragma once

#include <string>
#include <string_view>

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>
#include <servprov.h>
#include <docobj.h>
#include <exdisp.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <shlguid.h>

namespace hoardscope {

// 8-bit text is in the ANSI code page on Windows.
inline std::wstring WideOfText(std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

inline std::string TextOfWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
  return text;
}

using WideString = std::wstring;

}  // namespace hoardscope

#else

#include "platform/linux/com/ComAbi.h"

namespace hoardscope {

using ::TextOfWide;
using ::WideOfText;
using WideString = std::u16string;

}  // namespace hoardscope

#endif

namespace hoardscope {

// The text of a BSTR (nullptr is the empty text).
inline std::string TextOfBstr(BSTR text) { return TextOfWide({text, SysStringLen(text)}); }

// A new BSTR holding the text; the caller frees it with SysFreeString.
inline BSTR AllocBstr(std::string_view text) {
  const WideString wide = WideOfText(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

}  // namespace hoardscope
