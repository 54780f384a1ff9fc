// The explorer band object against a fake band site and view factory: its interfaces, the lifecycle in the order
// the browser drives it, every mask bit of GetBandInfo, and the persistence answers.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "com/IECacheBand.h"
#include "tests/unit/ComFakes.h"

namespace hoardscope {
namespace {

using TEvents = std::vector<std::string>;

// The browser object a site hands out. The band only passes it on to the view, so an object with IUnknown's
// method table stands in for it.
class TFakeBrowserObject : public TTestObject<IUnknown> {
 protected:
  void* Find(REFIID iid) override { return iid == IID_IWebBrowser2 ? Identity() : nullptr; }
  void* Identity() override { return static_cast<IUnknown*>(this); }
};

using TFakeSite = TFakeBandSite<TFakeBrowserObject>;

// A stream that counts every call made on it.
class TCountingStream : public TTestObject<IStream> {
 public:
  HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG*) override { return Called(); }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return Called(); }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return Called(); }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return Called(); }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return Called();
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return Called(); }
  HRESULT STDMETHODCALLTYPE Revert() override { return Called(); }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return Called(); }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return Called(); }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return Called(); }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return Called(); }

  int Calls = 0;

 protected:
  void* Identity() override { return static_cast<IStream*>(this); }
  void* Find(REFIID iid) override { return iid == IID_IStream ? static_cast<IStream*>(this) : nullptr; }

 private:
  HRESULT Called() {
    ++Calls;
    return E_NOTIMPL;
  }
};

class IECacheBandTest : public ::testing::Test {
 protected:
  IECacheBandTest() {
    TComPtr<IClassFactory> factory;
    Entry.GetClassObject(CLSID_IECacheBand, IID_IClassFactory, reinterpret_cast<void**>(factory.Out()));
    factory->CreateInstance(nullptr, IID_IDeskBand, reinterpret_cast<void**>(Band.Out()));
    Site = Band.As<IObjectWithSite>(IID_IObjectWithSite);
  }

  TEvents& Events() { return Host.Views.Log.Events; }
  TFakeBandView& View() { return *Host.Views.Last; }
  HWND WindowOfBand() {
    HWND window = reinterpret_cast<HWND>(&Host);
    EXPECT_EQ(S_OK, Band->GetWindow(&window));
    return window;
  }
  static DESKBANDINFO InfoWithMask(DWORD mask) {
    DESKBANDINFO info{};
    info.dwMask = mask;
    info.ptMinSize = info.ptMaxSize = info.ptIntegral = info.ptActual = {7, 7};
    info.wszTitle[0] = u'T';
    info.dwModeFlags = 0x77;
    info.crBkgnd = 0x123456;
    return info;
  }

  TFakeModuleHost Host;
  TModuleEntry Entry{Host};
  TComPtr<IDeskBand> Band;
  TComPtr<IObjectWithSite> Site;
  TFakeSite BrowserSite;
};

TEST_F(IECacheBandTest, AnswersExactlyItsSixInterfaces) {
  for (const IID* iid : {&IID_IUnknown, &IID_ISupportErrorInfo, &IID_IIECacheBand, &IID_IPersistStreamInit,
                         &IID_IObjectWithSite, &IID_IDeskBand}) {
    EXPECT_TRUE(Band.As<IUnknown>(*iid)) << GuidText(*iid);
  }
  for (const IID* iid : {&IID_IOleWindow, &IID_IDockingWindow, &IID_IPersist, &IID_IPersistStream,
                         &IID_IInputObject, &IID_IDispatch}) {
    void* object = &Host;
    EXPECT_EQ(E_NOINTERFACE, Band->QueryInterface(*iid, &object)) << GuidText(*iid);
    EXPECT_EQ(nullptr, object);
  }
}

TEST_F(IECacheBandTest, OpeningAndClosingInTheBrowsersOrder) {
  ASSERT_EQ(S_OK, Site->SetSite(static_cast<IInputObjectSite*>(&BrowserSite)));
  EXPECT_EQ((TEvents{"view1 create", "view1 child-of", "view1 bounds", "view1 show", "view1 no-browser",
                     "view1 browser"}),
            Events());
  EXPECT_EQ(BrowserSite.Window, View().Parent);
  EXPECT_EQ(200, View().Bounds.Right);
  EXPECT_EQ(480, View().Bounds.Bottom);
  EXPECT_TRUE(View().Browser);
  EXPECT_EQ(static_cast<HWND>(View().WindowHandle()), WindowOfBand());

  DESKBANDINFO info = InfoWithMask(DBIM_MINSIZE);
  EXPECT_EQ(S_OK, Band->GetBandInfo(0, 0, &info));
  EXPECT_EQ(S_OK, Band->ShowDW(TRUE));
  EXPECT_EQ(S_OK, Band->ShowDW(FALSE));
  EXPECT_EQ(S_OK, Band->CloseDW(0));
  EXPECT_EQ(S_OK, Site->SetSite(nullptr));
  EXPECT_EQ((TEvents{"show last", "hide last", "view1 destroy"}), TEvents(Events().begin() + 6, Events().end()));
  EXPECT_EQ(nullptr, WindowOfBand());
  EXPECT_EQ(S_OK, Band->ShowDW(TRUE));  // no view left: nothing to show
  EXPECT_EQ(9u, Events().size());

  const ULONG browserReferences = BrowserSite.Browser.References;
  EXPECT_EQ(1u, browserReferences);  // the view took its browser reference with it
  Site.Reset();
  Band.Reset();
  EXPECT_EQ(1u, BrowserSite.References.load());  // the band released its site
  EXPECT_EQ(1, Host.Views.Created);
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());
}

TEST_F(IECacheBandTest, SetSiteWithoutASiteChangesNothing) {
  EXPECT_EQ(S_OK, Site->SetSite(nullptr));
  EXPECT_EQ(0, Host.Views.Created);
  void* site = &Host;
  EXPECT_EQ(E_FAIL, Site->GetSite(IID_IUnknown, &site));  // no site yet
  EXPECT_EQ(nullptr, site);

  ASSERT_EQ(S_OK, Site->SetSite(static_cast<IInputObjectSite*>(&BrowserSite)));
  EXPECT_EQ(S_OK, Site->SetSite(nullptr));
  EXPECT_EQ(1, Host.Views.Log.Alive);  // the view stays until CloseDW
  TComPtr<IOleWindow> window;
  EXPECT_EQ(S_OK, Site->GetSite(IID_IOleWindow, reinterpret_cast<void**>(window.Out())));
  EXPECT_EQ(static_cast<IOleWindow*>(&BrowserSite), window.Get());
}

TEST_F(IECacheBandTest, ASiteWithoutAWindowFailsAfterReplacingTheStoredSite) {
  BrowserSite.Window = nullptr;
  EXPECT_EQ(E_FAIL, Site->SetSite(static_cast<IInputObjectSite*>(&BrowserSite)));
  EXPECT_EQ(0, Host.Views.Created);
  TComPtr<IUnknown> stored;
  EXPECT_EQ(S_OK, Site->GetSite(IID_IUnknown, reinterpret_cast<void**>(stored.Out())));
  EXPECT_TRUE(stored);
}

TEST_F(IECacheBandTest, AViewThatCannotBeCreatedFailsSetSite) {
  Host.Views.FailCreation = true;
  EXPECT_EQ(E_FAIL, Site->SetSite(static_cast<IInputObjectSite*>(&BrowserSite)));
  EXPECT_EQ(nullptr, WindowOfBand());
  DESKBANDINFO info = InfoWithMask(DBIM_MINSIZE);
  EXPECT_EQ(S_OK, Band->GetBandInfo(0, 0, &info));  // the band still answers the layout questions
  EXPECT_EQ(180, info.ptMinSize.x);
}

TEST_F(IECacheBandTest, ASiteWithoutBrowserServiceLeavesTheViewWithoutBrowser) {
  BrowserSite.OffersBrowser = false;
  ASSERT_EQ(S_OK, Site->SetSite(static_cast<IInputObjectSite*>(&BrowserSite)));
  EXPECT_FALSE(View().Browser);
  EXPECT_EQ("view1 no-browser", Events().back());

  BrowserSite.OffersServices = false;
  ASSERT_EQ(S_OK, Site->SetSite(static_cast<IInputObjectSite*>(&BrowserSite)));
  EXPECT_EQ("view2 show", Events().back());  // without a service provider the view's browser is not touched
}

TEST_F(IECacheBandTest, ANewSiteReplacesTheEarlierViewInsteadOfLeakingIt) {
  ASSERT_EQ(S_OK, Site->SetSite(static_cast<IInputObjectSite*>(&BrowserSite)));
  TFakeSite otherSite;
  ASSERT_EQ(S_OK, Site->SetSite(static_cast<IInputObjectSite*>(&otherSite)));
  EXPECT_EQ(1, Host.Views.Log.Alive);
  EXPECT_EQ("view1 destroy", Events()[6]);
  EXPECT_EQ("view2 create", Events()[7]);
  EXPECT_EQ(otherSite.Window, View().Parent);
  EXPECT_EQ(static_cast<HWND>(View().WindowHandle()), WindowOfBand());
  Band->CloseDW(0);
  Site->SetSite(nullptr);
  Site.Reset();
  Band.Reset();
  EXPECT_EQ(1u, otherSite.References.load());
}

TEST_F(IECacheBandTest, ABandReleasedWithoutCloseDWDestroysItsView) {
  ASSERT_EQ(S_OK, Site->SetSite(static_cast<IInputObjectSite*>(&BrowserSite)));
  Site.Reset();
  Band.Reset();
  EXPECT_EQ(0, Host.Views.Log.Alive);
  EXPECT_EQ(1u, BrowserSite.Browser.References.load());
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());
}

TEST_F(IECacheBandTest, NilOutPointersAreRefused) {
  EXPECT_EQ(E_POINTER, Band->GetWindow(nullptr));
  EXPECT_EQ(E_POINTER, Site->GetSite(IID_IUnknown, nullptr));
  EXPECT_EQ(E_POINTER, Band.As<IPersistStreamInit>(IID_IPersistStreamInit)->GetClassID(nullptr));
}

TEST_F(IECacheBandTest, GetBandInfoWithEveryBitSet) {
  DESKBANDINFO info = InfoWithMask(0x7F);
  ASSERT_EQ(S_OK, Band->GetBandInfo(3, 1, &info));
  EXPECT_EQ(180, info.ptMinSize.x);
  EXPECT_EQ(200, info.ptMinSize.y);
  EXPECT_EQ(-1, info.ptMaxSize.x);
  EXPECT_EQ(-1, info.ptMaxSize.y);
  EXPECT_EQ(1, info.ptIntegral.x);
  EXPECT_EQ(1, info.ptIntegral.y);
  EXPECT_EQ(0, info.ptActual.x);
  EXPECT_EQ(0, info.ptActual.y);
  EXPECT_EQ(u'T', info.wszTitle[0]);           // the title is the host's
  EXPECT_EQ(DBIMF_VARIABLEHEIGHT, info.dwModeFlags);
  EXPECT_EQ(0x3Fu, info.dwMask);              // the background bit is cleared
  EXPECT_EQ(0x123456u, info.crBkgnd);         // and no colour written
}

TEST_F(IECacheBandTest, GetBandInfoAnswersEachBitOnItsOwn) {
  const std::vector<std::pair<DWORD, std::function<bool(const DESKBANDINFO&)>>> answers = {
      {DBIM_MINSIZE, [](const DESKBANDINFO& i) { return i.ptMinSize.x == 180 && i.ptMaxSize.x == 7; }},
      {DBIM_MAXSIZE, [](const DESKBANDINFO& i) { return i.ptMaxSize.y == -1 && i.ptMinSize.y == 7; }},
      {DBIM_INTEGRAL, [](const DESKBANDINFO& i) { return i.ptIntegral.x == 1 && i.ptActual.x == 7; }},
      {DBIM_ACTUAL, [](const DESKBANDINFO& i) { return i.ptActual.y == 0 && i.ptIntegral.y == 7; }},
      {DBIM_TITLE, [](const DESKBANDINFO& i) { return i.dwMask == DBIM_TITLE && i.ptMinSize.x == 7; }},
      {DBIM_MODEFLAGS, [](const DESKBANDINFO& i) { return i.dwModeFlags == DBIMF_VARIABLEHEIGHT; }},
      {DBIM_BKCOLOR, [](const DESKBANDINFO& i) { return i.dwMask == 0 && i.dwModeFlags == 0x77; }},
      {0x100, [](const DESKBANDINFO& i) { return i.dwMask == 0x100 && i.ptMinSize.x == 7; }},
  };
  for (const auto& [mask, holds] : answers) {
    DESKBANDINFO info = InfoWithMask(mask);
    EXPECT_EQ(S_OK, Band->GetBandInfo(0, 0, &info));
    EXPECT_TRUE(holds(info)) << "mask " << mask;
  }
}

TEST_F(IECacheBandTest, GetBandInfoCreatesTheViewItNeedsEvenWithoutAnswering) {
  DESKBANDINFO info = InfoWithMask(0);
  const DESKBANDINFO before = info;
  EXPECT_EQ(S_OK, Band->GetBandInfo(0, 0, &info));
  EXPECT_EQ(0, std::memcmp(&before, &info, sizeof info));
  EXPECT_EQ(TEvents{"view1 create"}, Events());  // created, but not placed, shown or reported
  EXPECT_EQ(nullptr, WindowOfBand());

  EXPECT_EQ(E_INVALIDARG, Band->GetBandInfo(0, 0, nullptr));
  EXPECT_EQ(1, Host.Views.Created);  // the existing view serves
}

TEST_F(IECacheBandTest, PersistenceKeepsNothing) {
  const auto persist = Band.As<IPersistStreamInit>(IID_IPersistStreamInit);
  CLSID clsid{};
  EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
  EXPECT_EQ(CLSID_IECacheBand, clsid);
  EXPECT_EQ(S_FALSE, persist->IsDirty());
  TCountingStream stream;
  EXPECT_EQ(S_OK, persist->Save(&stream, TRUE));
  EXPECT_EQ(S_OK, persist->Load(&stream));
  EXPECT_EQ(0, stream.Calls);
  ULARGE_INTEGER size{};
  EXPECT_EQ(E_NOTIMPL, persist->GetSizeMax(&size));
  EXPECT_EQ(E_NOTIMPL, persist->InitNew());
  EXPECT_EQ(E_NOTIMPL, Band->ContextSensitiveHelp(TRUE));
  EXPECT_EQ(E_NOTIMPL, Band->ResizeBorderDW(nullptr, nullptr, FALSE));
}

}  // namespace
}  // namespace hoardscope
