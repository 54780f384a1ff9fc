// hoardscope regsvr: registers a COM module, as the Windows regsvr32 does: loads it and calls its registration
// entry point.
//
//   regsvr [/u] [/s] [MODULE]
//       MODULE defaults to the installed module beside this program (libhoardscope.so, or hoardscope.dll).
//       /u unregisters, /s keeps quiet on success. Success prints "DllRegisterServer in MODULE succeeded."
//       (or DllUnregisterServer); a failure prints the entry point, its return code and the module's error text
//       on standard error.
//       Exit codes as regsvr32's: 0 done, 3 the module could not be loaded, 5 the entry point failed, 2 usage.
#include <filesystem>
#include <iostream>

#include "com/ComModule.h"
#include "Commands.h"
#include "com/ComPtr.h"
#include "com/ComSupport.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr const char* kUsage = "usage: hoardscope regsvr [/u] [/s] [MODULE]\n";
constexpr int kExitUsage = 2;
constexpr int kExitLoadFailed = 3;
constexpr int kExitEntryFailed = 5;

// The description the module left in the thread's error information, if any.
std::string ErrorDescription() {
  TComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Out()) != S_OK || !info) return "";
  BSTR description = nullptr;
  info->GetDescription(&description);
  std::string text = TextOfBstr(description);
  SysFreeString(description);
  return text;
}

// A switch is "/" or "-" and one letter; anything longer is a path, absolute ones included.
bool IsSwitch(const std::string& argument) {
  return argument.size() == 2 && (argument[0] == '/' || argument[0] == '-');
}

bool IsSwitch(const std::string& argument, const char* name) {
  return IsSwitch(argument) && EqualsNoCase(argument.substr(1), name);
}

}  // namespace

int RunRegsvrCommand(const TArguments& args, const THomePaths&) {
  bool unregister = false;
  bool silent = false;
  std::optional<std::filesystem::path> module;
  for (const std::string& argument : args) {
    if (IsSwitch(argument, "u")) {
      unregister = true;
    } else if (IsSwitch(argument, "s")) {
      silent = true;
    } else if (!module && !IsSwitch(argument)) {
      module = std::filesystem::absolute(argument);
    } else {
      std::cerr << kUsage;
      return kExitUsage;
    }
  }
  if (!module) module = InstalledModule();

  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  try {
    TComModule loaded(*module);
    const HRESULT result = unregister ? loaded.UnregisterServer() : loaded.RegisterServer();
    if (FAILED(result)) {
      const std::string description = ErrorDescription();
      std::cerr << entry << " in " << module->string() << " failed.\nReturn code was: " << HresultText(result)
                << "\n" << (description.empty() ? "" : description + "\n");
      return kExitEntryFailed;
    }
  } catch (const std::exception& error) {
    std::cerr << "hoardscope: " << error.what() << "\n";
    return kExitLoadFailed;
  }
  if (!silent) std::cout << entry << " in " << module->string() << " succeeded.\n";
  return 0;
}

}  // namespace hoardscope
