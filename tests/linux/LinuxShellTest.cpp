// The Linux edition's shell against the contract every shell owes the view; what it moves to the trash goes to a
// temporary data folder of the test's, never the user's.
#include <stdlib.h>

#include <optional>
#include <string>

#include "platform/linux/LinuxShell.h"
#include "tests/contract/ShellContract.h"

namespace hoardscope {
namespace {

std::optional<std::string> EnvironmentValue(const char* name) {
  const char* value = ::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

struct TLinuxShellBackend {
  TLinuxShellBackend() { ::setenv("XDG_DATA_HOME", Data.Path.c_str(), 1); }
  ~TLinuxShellBackend() {
    if (FormerData) {
      ::setenv("XDG_DATA_HOME", FormerData->c_str(), 1);
    } else {
      ::unsetenv("XDG_DATA_HOME");
    }
  }
  IShell& Shell() { return LinuxShell; }

  const std::optional<std::string> FormerData = EnvironmentValue("XDG_DATA_HOME");
  TTempFolder Data{"data"};
  TLinuxShell LinuxShell{Data.Path / "cache"};
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, ShellContract, ::testing::Types<TLinuxShellBackend>);

}  // namespace hoardscope
