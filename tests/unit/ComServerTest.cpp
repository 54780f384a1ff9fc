// The module's server: entry points, factory lookup, object creation with its aggregation rules, and the counts
// that decide when the module may be unloaded.
#include <gtest/gtest.h>

#include "com/ComObjectFactory.h"
#include "tests/unit/ComFakes.h"

namespace hoardscope {
namespace {

class ComServerTest : public ::testing::Test {
 protected:
  TComPtr<IClassFactory> Factory(REFCLSID clsid) {
    TComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, Entry.GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Out())));
    return factory;
  }

  TFakeModuleHost Host;
  TModuleEntry Entry{Host};
};

// An outer object that aggregates an inner one and counts the calls delegated to it.
class TOuter : public TTestObject<IUnknown> {
 protected:
  void* Find(REFIID) override { return nullptr; }
  void* Identity() override { return static_cast<IUnknown*>(this); }
};

TEST_F(ComServerTest, ClassObjectsOfBothClassesAndNoOther) {
  EXPECT_TRUE(Factory(CLSID_IECacheBand));
  EXPECT_TRUE(Factory(CLSID_HSCDownload));

  TComPtr<IUnknown> unknown;
  EXPECT_EQ(S_OK, Entry.GetClassObject(CLSID_HSCDownload, IID_IUnknown, reinterpret_cast<void**>(unknown.Out())));
  EXPECT_TRUE(unknown);

  void* object = &Host;  // must be overwritten with nil
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, Entry.GetClassObject(IID_IHSCDownload, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  object = &Host;
  EXPECT_EQ(E_NOINTERFACE, Entry.GetClassObject(CLSID_IECacheBand, IID_IDispatch, &object));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(E_POINTER, Entry.GetClassObject(CLSID_IECacheBand, IID_IClassFactory, nullptr));
}

TEST_F(ComServerTest, FactoriesCarryTheClassTable) {
  TFakeModuleHost host;
  const auto server = CreateHoardscopeServer(host);
  const TComObjectFactory* band = server->FindFactory(CLSID_IECacheBand);
  const TComObjectFactory* download = server->FindFactory(CLSID_HSCDownload);
  ASSERT_TRUE(band && download);
  EXPECT_EQ("Hoardscope", band->Info().ClassName);
  EXPECT_EQ("", band->Info().Description);
  EXPECT_EQ("Hoardscope.Hoardscope", band->ProgID());
  EXPECT_EQ("HSCDownload", download->Info().ClassName);          // from the type library's coclass
  EXPECT_EQ("HSCDownload Object", download->Info().Description);
  EXPECT_EQ("Hoardscope.HSCDownload", download->ProgID());
  for (const TComObjectFactory* factory : {band, download}) {
    EXPECT_EQ(TInstancing::Multiple, factory->Info().Instancing);
    EXPECT_EQ(TThreadingModel::Apartment, factory->Info().ThreadingModel);
  }
}

TEST_F(ComServerTest, AModuleWhoseTypeLibraryCannotLoadServesNothingAndMayUnload) {
  Host.LibraryLoads = false;
  void* object = &Host;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, Entry.GetClassObject(CLSID_IECacheBand, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(E_FAIL, Entry.RegisterServer());
  EXPECT_NE("", TakeErrorInfo());
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());
}

TEST_F(ComServerTest, UnloadWaitsForFactoryReferencesObjectsAndLocks) {
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());
  TComPtr<IClassFactory> factory = Factory(CLSID_IECacheBand);
  EXPECT_EQ(S_FALSE, Entry.CanUnloadNow());  // a factory reference alone keeps the module

  TComPtr<IUnknown> band;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(band.Out())));
  factory.Reset();
  EXPECT_EQ(S_FALSE, Entry.CanUnloadNow());  // the object keeps it
  band.Reset();
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());

  factory = Factory(CLSID_HSCDownload);
  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  factory.Reset();
  EXPECT_EQ(S_FALSE, Entry.CanUnloadNow());  // the lock keeps it
  Factory(CLSID_HSCDownload)->LockServer(FALSE);
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());
}

TEST_F(ComServerTest, CreateInstanceChecksItsArguments) {
  TComPtr<IClassFactory> factory = Factory(CLSID_IECacheBand);
  EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));

  void* object = &Host;
  EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IOleWindow, &object));
  EXPECT_EQ(nullptr, object);

  TOuter outer;
  object = &Host;
  EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IDeskBand, &object));
  EXPECT_EQ(nullptr, object);
  factory.Reset();
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());  // nothing was left alive by the refusals
}

TEST_F(ComServerTest, AnAggregatedObjectDelegatesItsIdentityAndCountToTheOuterObject) {
  TOuter outer;
  TComPtr<IUnknown> inner;
  ASSERT_EQ(S_OK, Factory(CLSID_IECacheBand)->CreateInstance(&outer, IID_IUnknown,
                                                              reinterpret_cast<void**>(inner.Out())));
  TComPtr<IDeskBand> band = inner.As<IDeskBand>(IID_IDeskBand);
  ASSERT_TRUE(band);
  EXPECT_EQ(2u, outer.References.load());  // the interface's reference went to the outer object

  TComPtr<IUnknown> identity;
  band->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.Out()));
  EXPECT_EQ(static_cast<IUnknown*>(&outer), identity.Get());
  identity.Reset();
  band.Reset();
  EXPECT_EQ(1u, outer.References.load());
  inner.Reset();
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());
}

TEST_F(ComServerTest, AFailedCreationShowsItsTextAsASentenceAndReturnsUnexpected) {
  Host.DownloadsOpen = false;
  void* object = &Host;
  EXPECT_EQ(E_UNEXPECTED, Factory(CLSID_HSCDownload)->CreateInstance(nullptr, IID_IDispatch, &object));
  EXPECT_EQ(nullptr, object);
  ASSERT_EQ(1u, Host.Errors.size());
  EXPECT_EQ("The cache could not be opened.", Host.Errors[0]);
  EXPECT_EQ(S_OK, Entry.CanUnloadNow());

  Host.Views.FailCreation = true;  // the band itself is created without a view: its creation succeeds
  TComPtr<IUnknown> band;
  EXPECT_EQ(S_OK, Factory(CLSID_IECacheBand)->CreateInstance(nullptr, IID_IUnknown,
                                                              reinterpret_cast<void**>(band.Out())));
}

TEST_F(ComServerTest, ObjectsAnswerTheirInterfacesAndErrorInfoSupport) {
  TComPtr<IUnknown> download;
  ASSERT_EQ(S_OK, Factory(CLSID_HSCDownload)->CreateInstance(nullptr, IID_IUnknown,
                                                              reinterpret_cast<void**>(download.Out())));
  EXPECT_TRUE(download.As<IDispatch>(IID_IDispatch));
  EXPECT_TRUE(download.As<IHSCDownload>(IID_IHSCDownload));
  EXPECT_FALSE(download.As<IDeskBand>(IID_IDeskBand));
  const TComPtr<ISupportErrorInfo> errors = download.As<ISupportErrorInfo>(IID_ISupportErrorInfo);
  ASSERT_TRUE(errors);
  EXPECT_EQ(S_OK, errors->InterfaceSupportsErrorInfo(IID_IHSCDownload));
  EXPECT_EQ(S_FALSE, errors->InterfaceSupportsErrorInfo(IID_IDeskBand));

  // Every interface of an object leads back to one identity.
  TComPtr<IUnknown> first, second;
  download.As<IDispatch>(IID_IDispatch)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(first.Out()));
  errors->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(second.Out()));
  EXPECT_EQ(first.Get(), second.Get());
  EXPECT_EQ(download.Get(), first.Get());
}

}  // namespace
}  // namespace hoardscope
