// Support of the browser-window tests: the application object made the way the hoardscope program makes it, a
// home with the demo web in its cache, and bounded waits for the window's asynchronous work.
#pragma once

#include <QString>
#include <QVariant>
#include <filesystem>
#include <functional>
#include <ostream>

#include "tests/support/TestFiles.h"

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace hoardscope {

class TCacheStore;
class TPagePane;

// Long enough for any page or load of these tests; a wait that runs out fails the test instead of hanging it.
inline constexpr int kWindowWaitMs = 20000;

// A temporary home (cache store root and registry file), made the home of this process, with libhoardscope.so
// registered in it as the setup of a home registers it.
struct TWindowTestHome {
  TWindowTestHome();
  TTempFolder Folder{"window"};
  std::filesystem::path CacheRoot() const { return Folder.Path / "cache"; }
  std::filesystem::path RegistryFile() const { return Folder.Path / "registry.db"; }
  std::filesystem::path CopiesRoot() const { return Folder.Path / "copies"; }
};

// Adds every entry of the demo web (resources/demo) to a cache store, as scripts/load-demo.sh does.
void LoadDemo(TCacheStore& store);

// Runs events until condition holds or kWindowWaitMs pass; whether it holds.
bool WaitFor(const std::function<bool()>& condition);

// The result of a script run in the page pane's page; an invalid QVariant when it did not answer in time.
QVariant RunScript(TPagePane& pane, const QString& script);

}  // namespace hoardscope
