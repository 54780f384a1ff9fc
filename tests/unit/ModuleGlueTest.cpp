// The module glue both editions export: a host that cannot be built yet fails each entry point without letting
// anything leave the module and is built again at the next call, live views keep the module loaded, and a client's
// answer reaches the download object's picker.
#include <gtest/gtest.h>

#include <stdexcept>

#include "com/ModuleGlue.h"
#include "tests/unit/ComFakes.h"

namespace hoardscope {
namespace {

// The fake module host with the scripted picker over its fake one.
class TFakeGlueHost : public IGlueHost {
 public:
  std::string ModulePath() override { return Fake.ModulePath(); }
  std::string ShortPath(const std::string& path) override { return Fake.ShortPath(path); }
  IRegistry& Registry() override { return Fake.Registry(); }
  ITypeLibrary& TypeLibrary() override { return Fake.TypeLibrary(); }
  IViewFactory& ViewFactory() override { return Fake.ViewFactory(); }
  TDownloadServices DownloadServices() override { return Fake.DownloadServices(); }
  void ShowError(const std::string& text) override { Fake.ShowError(text); }
  TScriptedFolderPicker& Picker() override { return Scripted; }

  TFakeModuleHost Fake;
  TScriptedFolderPicker Scripted{Fake.Picker};
};

class ModuleGlueTest : public ::testing::Test {
 protected:
  TModuleGlue Glue{[this] {
                     ++HostsMade;
                     if (HostFails) throw std::runtime_error("no registry");
                     auto host = std::make_unique<TFakeGlueHost>();
                     Host = host.get();
                     return host;
                   },
                   [this] { return ViewsAlive; }};
  int HostsMade = 0;
  bool HostFails = false;
  bool ViewsAlive = false;
  TFakeGlueHost* Host = nullptr;
};

TEST_F(ModuleGlueTest, AHostThatCannotBeBuiltFailsEachEntryPointUntilItCanBe) {
  HostFails = true;
  void* object = nullptr;
  EXPECT_EQ(E_UNEXPECTED, Glue.GetClassObject(CLSID_IECacheBand, IID_IClassFactory, &object));
  EXPECT_EQ(E_UNEXPECTED, Glue.RegisterServer());
  EXPECT_EQ(E_UNEXPECTED, Glue.UnregisterServer());
  EXPECT_EQ(E_UNEXPECTED, Glue.CanUnloadNow());
  EXPECT_EQ(E_UNEXPECTED, Glue.AnswerFolderPicker("/saved"));
  EXPECT_EQ(5, HostsMade);

  HostFails = false;
  TComPtr<IClassFactory> factory;
  EXPECT_EQ(S_OK, Glue.GetClassObject(CLSID_IECacheBand, IID_IClassFactory, reinterpret_cast<void**>(factory.Out())));
  EXPECT_EQ(S_OK, Glue.RegisterServer());
  EXPECT_EQ(6, HostsMade);
}

TEST_F(ModuleGlueTest, LiveViewsKeepTheModuleLoaded) {
  EXPECT_EQ(S_OK, Glue.CanUnloadNow());
  ViewsAlive = true;
  EXPECT_EQ(S_FALSE, Glue.CanUnloadNow());
}

TEST_F(ModuleGlueTest, AClientsAnswerReachesTheDownloadPicker) {
  EXPECT_EQ(S_OK, Glue.AnswerFolderPicker("/saved"));
  ASSERT_NE(nullptr, Host);
  EXPECT_EQ("/saved", Host->Scripted.PickFolder("Save to").value_or("(cancelled)"));
  EXPECT_EQ(S_OK, Glue.AnswerFolderPicker(nullptr));
  EXPECT_FALSE(Host->Scripted.PickFolder("Save to"));
  EXPECT_TRUE(Host->Fake.Picker.Titles.empty());  // the user was never asked
}

}  // namespace
}  // namespace hoardscope
