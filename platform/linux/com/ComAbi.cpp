// The Linux edition's COM runtime: wide strings (BSTR), VARIANT lifetime and the calling thread's error information.
#include "platform/linux/com/ComAbi.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// A BSTR points just after a 32-bit byte count and is followed by a NUL character, as on Windows.
constexpr std::size_t kLengthPrefix = sizeof(std::uint32_t);

std::uint32_t* PrefixOf(BSTR text) {
  return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - kLengthPrefix);
}

// The error object behind CreateErrorInfo: filled through ICreateErrorInfo, read through IErrorInfo.
class TErrorObject final : public IErrorInfo, public ICreateErrorInfo {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
      *object = static_cast<IErrorInfo*>(this);
    } else if (riid == IID_ICreateErrorInfo) {
      *object = static_cast<ICreateErrorInfo*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++FReferences; }
  ULONG Release() override {
    const ULONG left = --FReferences;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetGUID(GUID* guid) override { return Store(guid, FGuid); }
  HRESULT GetSource(BSTR* source) override { return Copy(source, FSource); }
  HRESULT GetDescription(BSTR* description) override { return Copy(description, FDescription); }
  HRESULT GetHelpFile(BSTR* helpFile) override { return Copy(helpFile, FHelpFile); }
  HRESULT GetHelpContext(DWORD* context) override { return Store(context, FHelpContext); }

  HRESULT SetGUID(REFGUID guid) override { return Set(FGuid, guid); }
  HRESULT SetSource(LPOLESTR source) override { return Set(FSource, Wide(source)); }
  HRESULT SetDescription(LPOLESTR description) override { return Set(FDescription, Wide(description)); }
  HRESULT SetHelpFile(LPOLESTR helpFile) override { return Set(FHelpFile, Wide(helpFile)); }
  HRESULT SetHelpContext(DWORD context) override { return Set(FHelpContext, context); }

 private:
  ~TErrorObject() = default;

  static std::u16string Wide(LPCOLESTR text) { return text ? std::u16string(text) : std::u16string(); }
  template <class T>
  static HRESULT Set(T& field, const T& value) {
    field = value;
    return S_OK;
  }
  template <class T>
  static HRESULT Store(T* target, const T& value) {
    if (!target) return E_INVALIDARG;
    *target = value;
    return S_OK;
  }
  static HRESULT Copy(BSTR* target, const std::u16string& text) {
    if (!target) return E_INVALIDARG;
    *target = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
  }

  std::atomic<ULONG> FReferences{1};
  GUID FGuid = GUID_NULL;
  std::u16string FSource;
  std::u16string FDescription;
  std::u16string FHelpFile;
  DWORD FHelpContext = 0;
};

// The calling thread's error information; set owns one reference.
thread_local IErrorInfo* tErrorInfo = nullptr;

void DecodeUtf8(std::string_view text, std::size_t& at, char32_t& code) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  int extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    code = lead;
    ++at;
    return;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    code = 0xFFFD;
    ++at;
    return;
  }
  for (int i = 1; i <= extra; ++i) {
    if (at + i >= text.size() || (byte(at + i) & 0xC0) != 0x80) {
      code = 0xFFFD;
      at += i;
      return;
    }
    value = (value << 6) | (byte(at + i) & 0x3F);
  }
  at += extra + 1;
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  code = (value < minimum || value > 0x10FFFF || surrogate) ? 0xFFFD : value;
}

void EncodeUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  const std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
  void* block = std::malloc(kLengthPrefix + bytes + sizeof(OLECHAR));
  if (!block) return nullptr;
  *static_cast<std::uint32_t*>(block) = static_cast<std::uint32_t>(bytes);
  BSTR result = reinterpret_cast<BSTR>(static_cast<char*>(block) + kLengthPrefix);
  if (text) {
    std::memcpy(result, text, bytes);
  } else {
    std::memset(result, 0, bytes);
  }
  result[length] = u'\0';
  return result;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<char16_t>::length(text)));
}

void SysFreeString(BSTR text) {
  if (text) std::free(PrefixOf(text));
}

UINT SysStringLen(BSTR text) { return text ? *PrefixOf(text) / sizeof(OLECHAR) : 0; }

void VariantInit(VARIANT* variant) {
  std::memset(variant, 0, sizeof *variant);
  variant->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* variant) {
  if (!variant) return E_INVALIDARG;
  if (!V_ISBYREF(variant)) {
    switch (variant->vt) {
      case VT_BSTR: SysFreeString(variant->bstrVal); break;
      case VT_UNKNOWN: if (variant->punkVal) variant->punkVal->Release(); break;
      case VT_DISPATCH: if (variant->pdispVal) variant->pdispVal->Release(); break;
      default: break;
    }
  }
  VariantInit(variant);
  return S_OK;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** created) {
  if (!created) return E_INVALIDARG;
  *created = new (std::nothrow) TErrorObject;
  return *created ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetErrorInfo(ULONG, IErrorInfo* info) {
  if (info) info->AddRef();
  if (tErrorInfo) tErrorInfo->Release();
  tErrorInfo = info;
  return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = tErrorInfo;  // the reference passes to the caller, and the thread's information is cleared
  tErrorInfo = nullptr;
  return *info ? S_OK : S_FALSE;
}

HRESULT CoLockObjectExternal(IUnknown* unknown, BOOL, BOOL) { return unknown ? S_OK : E_INVALIDARG; }

std::u16string WideOfText(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    char32_t code = 0;
    DecodeUtf8(text, at, code);
    if (code < 0x10000) {
      wide += static_cast<char16_t>(code);
    } else {
      code -= 0x10000;
      wide += static_cast<char16_t>(0xD800 | (code >> 10));
      wide += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
    }
  }
  return wide;
}

std::string TextOfWide(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t code = text[at];
    const bool high = code >= 0xD800 && code <= 0xDBFF;
    const bool low = code >= 0xDC00 && code <= 0xDFFF;
    if (high && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[at + 1] - 0xDC00);
      ++at;
    } else if (high || low) {
      code = 0xFFFD;
    }
    EncodeUtf8(code, out);
  }
  return out;
}
