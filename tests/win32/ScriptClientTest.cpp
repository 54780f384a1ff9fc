// A real script client: Wine's cscript runs JScript that creates "Hoardscope.HSCDownload" with new ActiveXObject
// and asks for the cached copies of entries in Wine's WinInet cache. Without a display the shell's folder picker
// cannot ask anyone and counts as cancelled; with one it would wait for a person, so the tests take the display
// away from the script client.
#include "platform/win32/WinInetCache.h"
#include "tests/win32/WineSupport.h"

namespace hoardscope::win32 {
namespace {

class ScriptClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EXPECT_EQ(0, Regsvr32(ModulePath()));
  }
  ~ScriptClientTest() override {
    for (const std::string& url : FUrls) Cache.DeleteEntry(url);
    Regsvr32(ModulePath(), true);
  }

  // Puts an entry into the cache; the name of its local file.
  std::string Cached(const std::string& url, const std::string& content) {
    const CreatedCacheFile created = Cache.CreateEntry(url, content.size(), "");
    EXPECT_TRUE(created.Ok) << url;
    WriteFile(created.LocalFileName, content);
    EXPECT_EQ(0u, Cache.CommitEntry(url, created.LocalFileName, 0, 0, kNormalCacheEntry, ""));
    FUrls.push_back(url);
    return fs::path(created.LocalFileName).filename().string();
  }

  // Runs the script; its output lines.
  std::string RunScript(const std::string& script) {
    const fs::path file = Scripts.Path / "client.js";
    WriteFile(file, script);
    const TCommandRun run = RunCommand("cscript //nologo " + Quoted(file.string()));
    EXPECT_EQ(0, run.ExitCode) << run.Out;
    return run.Out;
  }

  TWithoutDisplay FNoDisplay;  // first, so that what follows sees no display either
  TNoDesktopWithoutDisplay FNoDesktop;
  TWinInetCache Cache;
  TTempFolder Scripts{"script"};
  TTempFolder Saved{"saved"};

 private:
  std::vector<std::string> FUrls;
};

// The module takes its answers from the client that loads it (hoardscope call --folder), never from the
// environment a script runs in.
TEST_F(ScriptClientTest, TheEnvironmentChoosesNoFolderForTheModule) {
  Cached("http://script.test/img/b-second.gif", "second picture");
  Cached("http://script.test/img/A-first.png", "first picture");
  Cached("http://script.test/dir/intro.swf", "movie");
  SetEnvironmentVariableA("HOARDSCOPE_FOLDER_ANSWER", Saved.Path.string().c_str());
  const std::string output = RunScript(
      "var d = new ActiveXObject('Hoardscope.HSCDownload');\n"
      "d.BeginSetIMG();\n"
      "d.SetIMG('http://script.test/img/b-second.gif', '');\n"
      "d.SetIMG('http://script.test/img/A-first.png', null);\n"
      "d.SetIMG('http://script.test/img/not-cached.gif', '');\n"
      "d.EndSetIMG();\n"
      "d.BeginSetSWF();\n"
      "d.SetSWF('intro.swf', 'http://script.test/dir/page.html');\n"
      "d.EndSetSWF();\n"
      "WScript.Echo('done');\n");
  SetEnvironmentVariableA("HOARDSCOPE_FOLDER_ANSWER", nullptr);
  EXPECT_EQ("done\n", output);
  EXPECT_TRUE(fs::is_empty(Saved.Path));
}

TEST_F(ScriptClientTest, FailuresReachTheScriptAsExceptionsWithTheirText) {
  const std::string output = RunScript(
      "var d = new ActiveXObject('Hoardscope.HSCDownload');\n"
      "function attempt(name, call) {\n"
      "  try { call(); WScript.Echo(name + ': ok'); }\n"
      "  catch (e) { WScript.Echo(name + ': ' + (e.number >>> 0).toString(16) + ' ' + e.description); }\n"
      "}\n"
      "attempt('EndSetIMG', function () { d.EndSetIMG(); });\n"
      "attempt('SetSWF', function () { d.SetSWF('m.swf', ''); });\n"
      "d.BeginSetIMG();\n"
      "attempt('SetIMG', function () { d.SetIMG(null, ''); });\n"
      "attempt('cancelled', function () { d.EndSetIMG(); });\n");
  EXPECT_EQ("EndSetIMG: 8000ffff No batch is open: call BeginSetIMG first.\n"
            "SetSWF: 8000ffff No batch is open: call BeginSetSWF first.\n"
            "SetIMG: 8000ffff Could not convert variant of type (Null) into type (String)\n"
            "cancelled: ok\n",
            output);
}

}  // namespace
}  // namespace hoardscope::win32
