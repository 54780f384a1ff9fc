// hoardscope regsvr and hoardscope call: the real binary registers libhoardscope.so in a temporary home's registry
// and drives the download automation object late-bound, with cached entries added by hoardscope cache.
#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

constexpr const char* kBandKey = "HKCR\\CLSID\\{717CBA3F-9DEC-4F4D-85EC-6F435BFE12D9}";
constexpr const char* kLibraryKey = "HKCR\\TypeLib\\{5B9CEBC5-6642-4C5D-AA72-AC904168A01B}";

class ComCommandTest : public ::testing::Test {
 protected:
  // Runs hoardscope in the home without a display, so that the object's dialogs are answered on the terminal.
  TRun Hoardscope(const std::vector<std::string>& args) {
    return RunShell("env -u DISPLAY -u WAYLAND_DISPLAY " + CommandInHome(Home, HoardscopeProgram(), args), Home);
  }

  // The installed module as the program names it: libhoardscope.so beside it, or the other edition's module as
  // HOARDSCOPE_TEST_MODULE gives it.
  std::string Module() const {
    if (TestsOtherEdition()) return std::getenv("HOARDSCOPE_TEST_MODULE");
    return (fs::path(HoardscopeProgram()).parent_path() / "libhoardscope.so").string();
  }

  ~ComCommandTest() override {
    if (TestsOtherEdition()) Hoardscope({"regsvr", "/u", "/s"});  // that edition registers in the system's registry
  }

  void Register() {
    const TRun run = Hoardscope({"regsvr"});
    ASSERT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_EQ("DllRegisterServer in " + Module() + " succeeded.\n", run.Out);
  }

  // Adds a cache entry with this content; the name of its local file.
  std::string Cached(const std::string& url, const std::string& content) {
    const fs::path source = Home / "source";
    WriteFile(source, content);
    EXPECT_EQ(0, Hoardscope({"cache", "add", url, source.string()}).ExitCode);
    const TRun info = Hoardscope({"cache", "list"});
    for (const std::string& line : Lines(info.Out)) {
      const auto fields = Split(line, '\t');
      if (fields[0] == url) return fields[1].substr(fields[1].find_last_of("/\\") + 1);  // either edition's path
    }
    ADD_FAILURE() << url << " not in the cache";
    return "";
  }

  TRun Call(std::vector<std::string> args) {
    args.insert(args.begin(), {"call", "Hoardscope.HSCDownload"});
    return Hoardscope(args);
  }

  // The names of the files in a folder, each with its content.
  static std::map<std::string, std::string> FilesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename()] = ReadFile(entry.path());
    return files;
  }

  TTempHome FHome{"com-cli"};
  const fs::path Home = FHome.Path();
};

TEST_F(ComCommandTest, RegsvrRegistersTheModuleAndUnregistersItTwice) {
  SKIP_ON_THE_WINDOWS_EDITION("the 64-bit module registers its type library under \"win64\"");
  Register();
  const TRun band = Hoardscope({"reg", "query", kBandKey, "/s"});
  EXPECT_NE(std::string::npos, band.Out.find("    (Default)    REG_SZ    Hoard&scope\n")) << band.Out;
  EXPECT_NE(std::string::npos, band.Out.find("InprocServer32\n    (Default)    REG_SZ    " + Module() + "\n"))
      << band.Out;
  EXPECT_NE(std::string::npos, band.Out.find("\\Implemented Categories\\{00021493-0000-0000-C000-000000000046}\n"));
  const TRun progId = Hoardscope({"reg", "query", "HKCR\\Hoardscope.HSCDownload\\Clsid"});
  EXPECT_NE(std::string::npos, progId.Out.find("{97D57733-5B03-4C51-B735-13F9ADB02F7A}")) << progId.Out;
  const TRun library = Hoardscope({"reg", "query", std::string(kLibraryKey) + "\\1.0\\409\\win32"});
  EXPECT_NE(std::string::npos, library.Out.find("REG_SZ    " + Module() + "\n")) << library.Out;

  for (int time = 0; time < 2; ++time) {
    const TRun run = Hoardscope({"regsvr", "/u"});
    EXPECT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_EQ("DllUnregisterServer in " + Module() + " succeeded.\n", run.Out);
  }
  for (const std::string& key :
       {std::string(kBandKey), std::string(kLibraryKey), std::string("HKCR\\Hoardscope.HSCDownload")}) {
    EXPECT_EQ(1, Hoardscope({"reg", "query", key}).ExitCode) << key;
  }
}

TEST_F(ComCommandTest, RegsvrReportsModulesThatCannotServe) {
  WriteFile(Home / "text.so", "not a library");
  const TRun missing = Hoardscope({"regsvr", (Home / "missing.so").string()});
  EXPECT_EQ(3, missing.ExitCode);
  EXPECT_NE(std::string::npos, missing.Err.find("missing.so could not be loaded")) << missing.Err;
  EXPECT_EQ(3, Hoardscope({"regsvr", "/s", (Home / "text.so").string()}).ExitCode);
  const TRun usage = Hoardscope({"regsvr", "/x"});
  EXPECT_EQ(2, usage.ExitCode);
  EXPECT_EQ("usage: hoardscope regsvr [/u] [/s] [MODULE]\n", usage.Err);
}

TEST_F(ComCommandTest, CallSavesTheCachedPicturesAndMoviesIntoTheFolder) {
  Register();
  const std::string first = Cached("http://h.test/img/B.gif", "bee");
  const std::string second = Cached("http://h.test/img/a.png", "ay");
  const std::string movie = Cached("http://h.test:8080/dir/intro.swf", "movie");
  const fs::path folder = Home / "saved";
  fs::create_directories(folder);
  const TRun run = Call({"--folder", folder.string(), "BeginSetIMG", "SetIMG(\"http://h.test/img/B.gif\", empty)",
                         "SetIMG(\"http://h.test/img/a.png\", null)", "SetIMG(\"http://h.test/img/a.png\", 1)",
                         "SetIMG(\"http://h.test/img/not-cached.gif\", \"\")", "EndSetIMG", "BeginSetSWF",
                         "SetSWF(\"intro.swf\", \"http://h.test:8080/dir/page.html\")", "EndSetSWF"});
  EXPECT_EQ(0, run.ExitCode) << run.Err;
  EXPECT_EQ("BeginSetIMG: 0x00000000\nSetIMG: 0x00000000\nSetIMG: 0x00000000\nSetIMG: 0x00000000\n"
            "SetIMG: 0x00000000\nEndSetIMG: 0x00000000\nBeginSetSWF: 0x00000000\nSetSWF: 0x00000000\n"
            "EndSetSWF: 0x00000000\n",
            run.Out);
  EXPECT_EQ((std::map<std::string, std::string>{{first, "bee"}, {second, "ay"}, {movie, "movie"}}),
            FilesIn(folder));
}

TEST_F(ComCommandTest, ADifferentFileOfTheSameNameIsKeptWhenNobodyCanBeAsked) {
  SKIP_ON_THE_WINDOWS_EDITION("the shell's own copy dialog asks");
  Register();
  const std::string name = Cached("http://h.test/pic.gif", "cached");
  const fs::path folder = Home / "saved";
  fs::create_directories(folder);
  WriteFile(folder / name, "the user's own");
  const std::vector<std::string> calls = {"--folder", folder.string(), "BeginSetIMG",
                                          "SetIMG(\"http://h.test/pic.gif\", empty)", "EndSetIMG"};
  EXPECT_EQ(0, Call(calls).ExitCode);
  EXPECT_EQ(0, Call(calls).ExitCode);  // the same copy again: kept once
  const fs::path kept = folder / (fs::path(name).stem().string() + " (2)" + fs::path(name).extension().string());
  EXPECT_EQ((std::map<std::string, std::string>{{name, "the user's own"}, {kept.filename(), "cached"}}),
            FilesIn(folder));
}

TEST_F(ComCommandTest, CallPrintsFailuresWithTheirDescription) {
  Register();
  const TRun run = Call({"--cancel", "EndSetSWF", "BeginSetIMG", "SetIMG(null, empty)", "Nothing",
                         "SetIMG(\"only one\")", "EndSetIMG"});
  EXPECT_EQ(1, run.ExitCode);
  EXPECT_EQ("EndSetSWF: 0x8000FFFF No batch is open: call BeginSetSWF first.\n"
            "BeginSetIMG: 0x00000000\n"
            "SetIMG: 0x8000FFFF Could not convert variant of type (Null) into type (String)\n"
            "Nothing: 0x80020006 Unknown name.\n"
            "SetIMG: 0x8002000E Invalid number of parameters.\n"
            "EndSetIMG: 0x00000000\n",
            run.Out);
}

TEST_F(ComCommandTest, WithoutDisplayOrAnswerThePickerIsCancelled) {
  SKIP_ON_THE_WINDOWS_EDITION("the shell's own folder dialog asks");
  Register();
  Cached("http://h.test/pic.gif", "cached");
  const TRun run = Call({"BeginSetIMG", "SetIMG(\"http://h.test/pic.gif\", empty)", "EndSetIMG"});
  EXPECT_EQ(0, run.ExitCode);
  EXPECT_EQ("Hoardscope 1.2: no display to choose a folder on; cancelled\n", run.Err);

  // The module answers nobody but the client that loads it: not the environment of the process.
  const fs::path folder = Home / "saved";
  fs::create_directories(folder);
  const std::string call = CommandInHome(Home, HoardscopeProgram(),
                                         {"call", "Hoardscope.HSCDownload", "BeginSetIMG",
                                          "SetIMG(\"http://h.test/pic.gif\", empty)", "EndSetIMG"});
  const TRun planted = RunShell(
      "env -u DISPLAY -u WAYLAND_DISPLAY HOARDSCOPE_FOLDER_ANSWER=" + Quoted(folder.string()) + " " + call, Home);
  EXPECT_EQ("Hoardscope 1.2: no display to choose a folder on; cancelled\n", planted.Err);
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(ComCommandTest, CallNeedsARegisteredClassAndCallsItCanRead) {
  const TRun unregistered = Call({"BeginSetIMG"});
  EXPECT_EQ(1, unregistered.ExitCode);
  EXPECT_EQ("hoardscope: no class is registered under the ProgID Hoardscope.HSCDownload\n", unregistered.Err);
  Register();
  for (const char* bad : {"SetIMG(\"open", "SetIMG(1 2)", "(1)", "SetIMG(1,"}) {
    const TRun run = Call({bad});
    EXPECT_EQ(2, run.ExitCode) << bad;
    EXPECT_EQ("", run.Out) << bad;
  }
}

}  // namespace
}  // namespace hoardscope::acceptance
