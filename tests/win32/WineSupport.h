// Helpers of the tests that run under wine64: where the built module is, running Windows commands and reading
// their output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "com/ComTypes.h"
#include "tests/support/TestFiles.h"

namespace hoardscope::win32 {

namespace fs = std::filesystem;

// The folder of the test executable, which the build shares with hoardscope.dll.
inline std::string BinFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path().string();
}

inline std::string ModulePath() { return BinFolder() + "\\hoardscope.dll"; }

struct TCommandRun {
  int ExitCode = -1;
  std::string Out;
};

// Runs a command line through the command interpreter and captures its standard output.
inline TCommandRun RunCommand(const std::string& commandLine) {
  TCommandRun run;
  FILE* pipe = _popen(("\"" + commandLine + "\"").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Out.append(buffer, read);
  run.ExitCode = _pclose(pipe);
  // The Windows tools end their lines with CR LF.
  std::string text;
  for (const char c : run.Out) {
    if (c != '\r') text += c;
  }
  run.Out = text;
  return run;
}

inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// While this object lives, the test and the Windows programs it starts have no display, whatever the run has: a
// window that would wait for a person (the shell's folder picker) cannot open and counts as cancelled.
class TWithoutDisplay {
 public:
  TWithoutDisplay() {
    char value[1024] = {};
    const DWORD length = GetEnvironmentVariableA("DISPLAY", value, sizeof value);
    if (length == 0 || length >= sizeof value) return;
    FDisplay = std::string(value, length);
    SetEnvironmentVariableA("DISPLAY", nullptr);
  }
  ~TWithoutDisplay() {
    if (!FDisplay.empty()) SetEnvironmentVariableA("DISPLAY", FDisplay.c_str());
  }
  TWithoutDisplay(const TWithoutDisplay&) = delete;
  TWithoutDisplay& operator=(const TWithoutDisplay&) = delete;

 private:
  std::string FDisplay;
};

// Without a display Wine's desktop process cannot start, and a tool that asks for it (regsvr32, the shell's
// file copy) waits for it in vain for ten seconds. While this object lives, the prefix does without it when the
// test runs without a display.
class TNoDesktopWithoutDisplay {
 public:
  TNoDesktopWithoutDisplay() {
    if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) != 0) return;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &FKey, nullptr) !=
        ERROR_SUCCESS) {
      FKey = nullptr;
      return;
    }
    RegSetValueExA(FKey, "explorer.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  }
  ~TNoDesktopWithoutDisplay() {
    if (!FKey) return;
    RegDeleteValueA(FKey, "explorer.exe");
    RegCloseKey(FKey);
  }
  TNoDesktopWithoutDisplay(const TNoDesktopWithoutDisplay&) = delete;
  TNoDesktopWithoutDisplay& operator=(const TNoDesktopWithoutDisplay&) = delete;

 private:
  static constexpr const char* kOverrides = "Software\\Wine\\DllOverrides";
  HKEY FKey = nullptr;
};

// Registers a module with Wine's regsvr32 (or unregisters it with /u); the tool's exit code.
inline int Regsvr32(const std::string& module, bool unregister = false) {
  return RunCommand(std::string("regsvr32 /s ") + (unregister ? "/u " : "") + Quoted(module)).ExitCode;
}

}  // namespace hoardscope::win32
