// IHSCSourceNavigation: what the Linux edition's browser window offers its bars beside IWebBrowser2, through the
// browser object's QueryInterface: showing a page of a browser's disk cache from that cache itself, so that the
// page's stylesheets, pictures and links are answered from it too. A browser that does not offer it (the system
// browser on Windows) is sent to copies of the page in files instead. The interface lives between the bar and
// the window of one process only: it is in no type library and never marshalled.
#pragma once

#include "com/ComTypes.h"

namespace hoardscope {

// {794E2EF2-0BA3-4C2F-AC53-A24221B7A083}
inline constexpr IID IID_IHSCSourceNavigation = {
    0x794E2EF2, 0x0BA3, 0x4C2F, {0xAC, 0x53, 0xA2, 0x42, 0x21, 0xB7, 0xA0, 0x83}};

struct IHSCSourceNavigation : public IUnknown {
  // Sends the browser to url as the cache source named source (a name of the bar's cache sources: "chromium/Default",
  // "firefox:DIR", ...) holds it. E_FAIL with error information when the source or the URL cannot be shown.
  virtual HRESULT STDMETHODCALLTYPE NavigateFromSource(BSTR url, BSTR source) = 0;
};

}  // namespace hoardscope
