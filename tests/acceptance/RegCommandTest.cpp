// hoardscope reg query|add|delete: the real binary against a temporary HOARDSCOPE_HOME, checked against the
// output layout and messages of the Windows reg tool.
#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

constexpr const char* kDone = "The operation completed successfully.\n";
constexpr const char* kNotFound = "ERROR: The system was unable to find the specified registry key or value.\n";

class RegCommandTest : public ::testing::Test {
 protected:
  TRun Reg(std::vector<std::string> args) {
    args.insert(args.begin(), "reg");
    return RunInHome(Home, HoardscopeProgram(), args);
  }

  // Runs a call that must succeed and returns its standard output.
  std::string Ok(const std::vector<std::string>& args) {
    const TRun run = Reg(args);
    EXPECT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_EQ("", run.Err);
    return run.Out;
  }

  // Runs a call that must fail and returns its standard error.
  std::string Fails(const std::vector<std::string>& args) {
    const TRun run = Reg(args);
    EXPECT_EQ(1, run.ExitCode) << run.Out;
    EXPECT_EQ("", run.Out);
    return run.Err;
  }

  // HKCU\Software\Test with two values, a key with a default value and a deeper one, and an empty key.
  void AddSample() {
    EXPECT_EQ(kDone, Ok({"add", "HKCU\\Software\\Test", "/v", "Name", "/t", "REG_SZ", "/d", "hello world"}));
    Ok({"add", "HKEY_CURRENT_USER\\Software\\Test", "/v", "Num", "/t", "reg_dword", "/d", "26"});
    Ok({"add", "HKCU\\Software\\Test\\Sub", "/ve", "/d", "default text"});
    Ok({"add", "HKCU\\Software\\Test\\Sub\\Deep", "/v", "x", "/d", "y"});
    Ok({"add", "HKCU\\Software\\Test\\Empty"});
  }

  TTempHome FHome{"reg-cli"};
  const fs::path Home = FHome.Path();
};

TEST_F(RegCommandTest, QueryShowsValuesThenSubkeysInTheRegLayout) {
  AddSample();
  EXPECT_EQ("\n"
            "HKEY_CURRENT_USER\\Software\\Test\n"
            "    Name    REG_SZ    hello world\n"
            "    Num    REG_DWORD    0x1a\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Test\\Empty\n"
            "HKEY_CURRENT_USER\\Software\\Test\\Sub\n",
            Ok({"query", "hkcu\\Software\\Test\\"}));
  EXPECT_EQ("\n"
            "HKEY_CURRENT_USER\\Software\\Test\\Sub\n"
            "    (Default)    REG_SZ    default text\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Test\\Sub\\Deep\n",
            Ok({"query", "HKCU\\Software\\Test\\Sub"}));
  EXPECT_EQ("\n", Ok({"query", "HKCU\\Software\\Test\\Empty"})) << "a key without values or subkeys";
}

TEST_F(RegCommandTest, QueryOfOneValueFindsItWithoutRegardToCase) {
  AddSample();
  EXPECT_EQ("\nHKEY_CURRENT_USER\\Software\\Test\n    Num    REG_DWORD    0x1a\n\n",
            Ok({"query", "HKCU\\Software\\Test", "/v", "NUM"}));
  EXPECT_EQ("\nHKEY_CURRENT_USER\\Software\\Test\n    (Default)    REG_SZ    (value not set)\n\n",
            Ok({"query", "HKCU\\Software\\Test", "/ve"}));
  EXPECT_EQ(kNotFound, Fails({"query", "HKCU\\Software\\Test", "/v", "Missing"}));
}

TEST_F(RegCommandTest, RecursiveQueryWalksEverySubkey) {
  AddSample();
  EXPECT_EQ("\n"
            "HKEY_CURRENT_USER\\Software\\Test\n"
            "    Name    REG_SZ    hello world\n"
            "    Num    REG_DWORD    0x1a\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Test\\Empty\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Test\\Sub\n"
            "    (Default)    REG_SZ    default text\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Test\\Sub\\Deep\n"
            "    x    REG_SZ    y\n"
            "\n",
            Ok({"query", "HKCU\\Software\\Test", "/s"}));
  EXPECT_EQ("\n"
            "HKEY_CURRENT_USER\\Software\\Test\\Sub\\Deep\n"
            "    x    REG_SZ    y\n"
            "\n"
            "End of search: 1 match(es) found.\n",
            Ok({"query", "HKCU\\Software", "/v", "X", "/s"}));
}

TEST_F(RegCommandTest, AddOverwritesAnExistingValueOnlyWithForce) {
  AddSample();
  EXPECT_EQ("ERROR: value exists, use /f to overwrite\n",
            Fails({"add", "HKCU\\Software\\Test", "/v", "name", "/d", "other"}));
  EXPECT_NE(std::string::npos, Ok({"query", "HKCU\\Software\\Test", "/v", "Name"}).find("hello world"));

  Ok({"add", "HKCU\\Software\\Test", "/v", "name", "/t", "REG_DWORD", "/d", "0xFFFFFFFF", "/f"});
  EXPECT_EQ("\nHKEY_CURRENT_USER\\Software\\Test\n    Name    REG_DWORD    0xffffffff\n\n",
            Ok({"query", "HKCU\\Software\\Test", "/v", "Name"}))
      << "the value keeps the name it was first written with and takes the new type";
}

TEST_F(RegCommandTest, DeleteRemovesValuesAndKeysOnlyWithForce) {
  SKIP_ON_THE_WINDOWS_EDITION("the system registry keeps keys of its own beside ours");
  AddSample();
  EXPECT_NE(std::string::npos, Fails({"delete", "HKCU\\Software\\Test", "/v", "Name"}).find("/f"));
  Ok({"query", "HKCU\\Software\\Test", "/v", "Name"});

  EXPECT_EQ(kDone, Ok({"delete", "HKCU\\Software\\Test", "/v", "Name", "/f"}));
  EXPECT_EQ(kNotFound, Fails({"query", "HKCU\\Software\\Test", "/v", "Name"}));
  EXPECT_EQ(kNotFound, Fails({"delete", "HKCU\\Software\\Test", "/v", "Name", "/f"}));
  Ok({"delete", "HKCU\\Software\\Test\\Sub", "/ve", "/f"});
  Ok({"delete", "HKCU\\Software\\Test", "/va", "/f"});
  EXPECT_EQ("\nHKEY_CURRENT_USER\\Software\\Test\\Empty\nHKEY_CURRENT_USER\\Software\\Test\\Sub\n",
            Ok({"query", "HKCU\\Software\\Test"}));

  EXPECT_EQ(kDone, Ok({"delete", "HKCU\\Software\\Test", "/f"}));
  EXPECT_EQ(kNotFound, Fails({"query", "HKCU\\Software\\Test\\Sub\\Deep"}));
  EXPECT_EQ("\n", Ok({"query", "HKCU\\Software"}));
}

TEST_F(RegCommandTest, BadCallsFailWithTheRegMessages) {
  AddSample();
  const std::string syntax = "ERROR: Invalid syntax.\nType \"hoardscope reg QUERY /?\" for usage.\n";
  EXPECT_EQ(kNotFound, Fails({"query", "HKLM\\Software\\Test"}));
  EXPECT_EQ("ERROR: Invalid key name.\nType \"hoardscope reg QUERY /?\" for usage.\n",
            Fails({"query", "HKU\\Software"}));
  EXPECT_EQ(syntax, Fails({"query", "HKCU\\Software", "/v"}));
  EXPECT_EQ(syntax, Fails({"query", "HKCU\\Software", "/v", "a", "/ve"}));
  EXPECT_EQ(syntax, Fails({"query", "HKCU\\Software", "/d", "x"}));
  EXPECT_EQ(syntax, Fails({"query", "HKCU\\Software", "/s", "/S"}));
  EXPECT_EQ(syntax, Fails({"query"}));
  EXPECT_NE(std::string::npos, Fails({"add", "HKCU\\Software", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"})
                                   .find("REG_DWORD"));
  EXPECT_NE(std::string::npos, Fails({"add", "HKCU\\Software", "/v", "n", "/t", "REG_DWORD", "/d", "12abc"})
                                   .find("REG_DWORD"));
  EXPECT_NE(std::string::npos, Fails({"add", "HKCU\\Software", "/v", "n", "/t", "REG_BINARY", "/d", "00"})
                                   .find("REG_BINARY"));
  EXPECT_EQ(kNotFound, Fails({"query", "HKCU\\Software", "/v", "n"})) << "no refused value was written";
  EXPECT_NE(std::string::npos, Fails({"delete", "HKCU", "/f"}).find("cannot be deleted"));
  EXPECT_EQ(1, Reg({"frobnicate"}).ExitCode);
}

TEST_F(RegCommandTest, MimeDatabaseComesFromTheSystemListAndIsReadOnly) {
  SKIP_ON_THE_WINDOWS_EDITION("the MIME database is the system registry's");
  if (!fs::exists("/etc/mime.types")) GTEST_SKIP() << "no /etc/mime.types on this machine";
  EXPECT_EQ("\n"
            "HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type\\text/html\n"
            "    Extension    REG_SZ    .html\n"
            "\n",
            Ok({"query", "HKCR\\MIME\\Database\\Content Type\\text/html"}));
  EXPECT_EQ(kNotFound, Fails({"query", "HKCR\\MIME\\Database\\Content Type\\text/html; charset=utf-8"}));
  const std::string refusal =
      Fails({"add", "HKCR\\MIME\\Database\\Content Type\\text/html", "/v", "Extension", "/d", ".htm", "/f"});
  EXPECT_NE(std::string::npos, refusal.find("read-only")) << refusal;
}

TEST_F(RegCommandTest, DamagedStoreIsNamedAndLeftAsItIs) {
  SKIP_ON_THE_WINDOWS_EDITION("the registry is the system's, without a store file of ours");
  const fs::path store = Home / "registry.db";
  const std::string noise(2048, '#');
  WriteFile(store, noise);
  const std::string error = Fails({"query", "HKCU\\Software"});
  EXPECT_EQ(0u, error.find("ERROR: ")) << error;
  EXPECT_NE(std::string::npos, error.find(store.string())) << error;
  EXPECT_EQ(noise, ReadFile(store));
}

}  // namespace
}  // namespace hoardscope::acceptance
