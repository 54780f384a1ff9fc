// GUID text and error information.
#include "com/ComSupport.h"

#include <cstdio>
#include <stdexcept>

#include "com/ComPtr.h"

namespace hoardscope {
namespace {

std::optional<unsigned> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return std::nullopt;
}

// Reads count hex digits at text[at]; nullopt when one is missing.
std::optional<std::uint32_t> HexNumber(std::string_view text, std::size_t at, std::size_t count) {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const auto digit = HexDigit(text[at + i]);
    if (!digit) return std::nullopt;
    number = number << 4 | *digit;
  }
  return number;
}

std::string VariantTypeName(VARTYPE type) {
  switch (type) {
    case VT_NULL: return "Null";
    case VT_DISPATCH: return "Dispatch";
    case VT_UNKNOWN: return "Unknown";
    case VT_ERROR: return "Error";
    case VT_DECIMAL: return "Decimal";
    default: break;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(type));
  return text;
}

}  // namespace

std::string GuidText(REFGUID guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

std::optional<GUID> ParseGuid(std::string_view text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters, dashes at 9, 14, 19 and 24.
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  for (const std::size_t dash : {9u, 14u, 19u, 24u}) {
    if (text[dash] != '-') return std::nullopt;
  }
  const auto data1 = HexNumber(text, 1, 8);
  const auto data2 = HexNumber(text, 10, 4);
  const auto data3 = HexNumber(text, 15, 4);
  if (!data1 || !data2 || !data3) return std::nullopt;
  GUID guid{};
  guid.Data1 = *data1;
  guid.Data2 = static_cast<std::uint16_t>(*data2);
  guid.Data3 = static_cast<std::uint16_t>(*data3);
  constexpr std::size_t kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < 8; ++i) {
    const auto byte = HexNumber(text, kBytePositions[i], 2);
    if (!byte) return std::nullopt;
    guid.Data4[i] = static_cast<std::uint8_t>(*byte);
  }
  return guid;
}

void SetErrorInfoText(REFIID iid, const std::string& source, const std::string& description) {
  TComPtr<ICreateErrorInfo> created;
  if (FAILED(CreateErrorInfo(created.Out()))) return;
  WideString wideSource = WideOfText(source);
  WideString wideDescription = WideOfText(description);
  created->SetGUID(iid);
  created->SetSource(wideSource.data());
  created->SetDescription(wideDescription.data());
  const TComPtr<IErrorInfo> info = created.As<IErrorInfo>(IID_IErrorInfo);
  SetErrorInfo(0, info.Get());
}

std::string HresultText(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
  return text;
}

std::string TextOfVariant(const VARIANT& value) {
  VARIANT text;
  VariantInit(&text);
  VARIANT source = value;  // the conversion takes a writable source, which it leaves as it is
  if (FAILED(VariantChangeTypeEx(&text, &source, LOCALE_USER_DEFAULT, 0, VT_BSTR))) {
    throw std::runtime_error("Could not convert variant of type (" + VariantTypeName(value.vt) +
                             ") into type (String)");
  }
  std::string result = TextOfBstr(text.bstrVal);
  VariantClear(&text);
  return result;
}

}  // namespace hoardscope
