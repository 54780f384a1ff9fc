// TComObject: the base of the server's COM objects. Reference counting, aggregation through an outer unknown,
// the server's live-object count and ISupportErrorInfo; the derived class names its interfaces.
#pragma once

#include <atomic>
#include <new>
#include <utility>

#include "com/ComPtr.h"
#include "com/ComServer.h"

namespace hoardscope {

template <class... Interfaces>
class TComObject : public ISupportErrorInfo, public Interfaces... {
 public:
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  // Creates an object of class T (its constructor takes the server and the outer unknown first) and returns its
  // own unknown, the one an aggregating object holds, with one reference. Raises what T's constructor raises.
  template <class T, class... Args>
  static TComPtr<IUnknown> Create(TComServer& server, IUnknown* outer, Args&&... args) {
    T* object = new T(server, outer, std::forward<Args>(args)...);
    return TComPtr<IUnknown>(object->Inner());
  }

  // Every interface of the object answers for its controlling unknown: the outer one when aggregated.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return FOuter->QueryInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return FOuter->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return FOuter->Release(); }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return FindInterface(iid) ? S_OK : S_FALSE;
  }

  IUnknown* Inner() { return &FInner; }

 protected:
  TComObject(TComServer& server, IUnknown* outer) : FServer(server), FOuter(outer ? outer : &FInner) {
    FServer.ObjectCreated();
  }
  virtual ~TComObject() { FServer.ObjectDestroyed(); }

  // The object's pointer of interface iid, without a new reference; nullptr when it has none. The object's
  // identity (IUnknown) and ISupportErrorInfo are answered by the base.
  virtual void* FindInterface(REFIID iid) = 0;

  TComServer& Server() { return FServer; }

 private:
  // The object's own unknown: it alone counts references and answers for the object's interfaces.
  class TInner : public IUnknown {
   public:
    explicit TInner(TComObject& owner) : FOwner(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
      if (!object) return E_POINTER;
      if (iid == IID_IUnknown) {
        *object = static_cast<IUnknown*>(this);
      } else if (iid == IID_ISupportErrorInfo) {
        *object = static_cast<ISupportErrorInfo*>(&FOwner);
      } else {
        *object = FOwner.FindInterface(iid);
      }
      if (!*object) return E_NOINTERFACE;
      // Counted through the pointer handed out: an interface of an aggregated object counts on the outer one.
      static_cast<IUnknown*>(*object)->AddRef();
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
      const ULONG left = --FReferences;
      if (left == 0) delete &FOwner;
      return left;
    }

   private:
    TComObject& FOwner;
    std::atomic<ULONG> FReferences{0};
  };

  TComServer& FServer;
  TInner FInner{*this};
  IUnknown* FOuter;
};

}  // namespace hoardscope
