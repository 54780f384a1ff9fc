// The hosting browser's offline state and navigation through its COM interface.
#include "com/ComBrowser.h"

#include "com/ComSupport.h"

namespace hoardscope {

bool TComBrowser::IsOffline() {
  VARIANT_BOOL offline = VARIANT_FALSE;
  const HRESULT result = FBrowser->get_Offline(&offline);
  if (FAILED(result)) throw BrowserError{"The browser could not tell its offline state (" + HresultText(result) + ")."};
  return offline != VARIANT_FALSE;
}

void TComBrowser::Navigate(const std::string& url) {
  VARIANT flags;
  VariantInit(&flags);
  NavigateWithFlags(url, flags);
}

void TComBrowser::NavigateInNewWindow(const std::string& url) {
  VARIANT flags;
  VariantInit(&flags);
  flags.vt = VT_I4;
  flags.lVal = kOpenInNewWindow;
  NavigateWithFlags(url, flags);
}

void TComBrowser::NavigateFromSource(const std::string& url, const std::string& source) {
  if (!FSources) return IBrowser::NavigateFromSource(url, source);
  BSTR target = AllocBstr(url);
  BSTR sourceName = AllocBstr(source);
  const HRESULT result = FSources->NavigateFromSource(target, sourceName);
  SysFreeString(target);
  SysFreeString(sourceName);
  if (FAILED(result)) {
    throw BrowserError{"The browser could not open " + url + " from " + source + " (" + HresultText(result) + ")."};
  }
}

void TComBrowser::NavigateWithFlags(const std::string& url, VARIANT& flags) {
  BSTR target = AllocBstr(url);
  VARIANT frame, postData, headers;
  for (VARIANT* empty : {&frame, &postData, &headers}) VariantInit(empty);
  const HRESULT result = FBrowser->Navigate(target, &flags, &frame, &postData, &headers);
  SysFreeString(target);
  if (FAILED(result)) throw BrowserError{"The browser could not open " + url + " (" + HresultText(result) + ")."};
}

}  // namespace hoardscope
