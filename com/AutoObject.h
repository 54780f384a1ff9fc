// TAutoObject: the base of the server's automation objects. IDispatch of the object's dual interface comes from
// the type library; a failure inside a method becomes E_UNEXPECTED with the thread's error information.
#pragma once

#include <string>

#include "com/ComObject.h"
#include "com/ComSupport.h"
#include "core/Boundary.h"

namespace hoardscope {

template <class Dual>
class TAutoObject : public TComObject<Dual> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    TComPtr<ITypeInfo> info;
    *count = SUCCEEDED(WithLibrary([&](ITypeLibrary& library) { return library.GetTypeInfo(FIid, info.Out()); }));
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return WithLibrary([&](ITypeLibrary& library) { return library.GetTypeInfo(FIid, info); });
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return WithLibrary([&](ITypeLibrary& library) { return library.GetIDsOfNames(FIid, names, count, ids); });
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return WithLibrary([&](ITypeLibrary& library) {
      return library.Invoke(FIid, static_cast<Dual*>(this), member, flags, params, result, exception, argumentError);
    });
  }

 protected:
  // progId is the source named in the error information of failures.
  TAutoObject(TComServer& server, IUnknown* outer, REFIID dualIid, std::string progId)
      : TComObject<Dual>(server, outer), FIid(dualIid), FProgId(std::move(progId)) {}

  void* FindInterface(REFIID iid) override {
    if (iid == IID_IDispatch || iid == FIid) return static_cast<Dual*>(this);
    return nullptr;
  }

  // Runs the body of an automation method: S_OK, or E_UNEXPECTED with error information when it raises.
  template <class Body>
  HRESULT Guarded(Body body) {
    return GuardedComCall(FIid, FProgId, E_UNEXPECTED, body);
  }

 private:
  template <class Call>
  HRESULT WithLibrary(Call call) {
    return CatchAll([&] { return call(this->Server().Host().TypeLibrary()); },
                    [](const char*) { return E_UNEXPECTED; });
  }

  const IID FIid;
  const std::string FProgId;
};

}  // namespace hoardscope
