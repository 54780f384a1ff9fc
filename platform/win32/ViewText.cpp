// Converting the view's texts for the wide messages of the controls.
#include "platform/win32/ViewText.h"

#include <windows.h>

namespace hoardscope {
namespace {

std::wstring WideIn(UINT codePage, DWORD flags, std::string_view text) {
  const int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string NarrowIn(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length =
      WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace

std::wstring WideOfViewText(std::string_view text) {
  if (text.empty()) return {};
  std::wstring wide = WideIn(CP_UTF8, MB_ERR_INVALID_CHARS, text);
  return wide.empty() ? WideIn(CP_ACP, 0, text) : wide;
}

std::wstring WideOfCodePage(unsigned codePage, std::string_view text) {
  return text.empty() ? std::wstring() : WideIn(codePage, 0, text);
}

std::string ViewTextOfWide(std::wstring_view wide) { return NarrowIn(CP_UTF8, wide); }

std::string AnsiOfViewText(std::string_view text) { return NarrowIn(CP_ACP, WideOfViewText(text)); }

}  // namespace hoardscope
