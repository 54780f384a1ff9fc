// The Windows edition's services for the command line: the system's WinInet cache and registry, the shell.
// The home's folders play no part: every run works on the stores of the user and the machine.
#include <stdexcept>

#include "platform/ports/CacheAdmin.h"
#include "platform/ports/HomeServicesOf.h"
#include "platform/win32/WinInetCache.h"
#include "platform/win32/WinRegistry.h"
#include "platform/win32/WinShell.h"
#include "platform/win32/WinSystemServices.h"
#include "platform/win32/WinTextConverter.h"

namespace hoardscope {
namespace {

using TWinHomeServices = THomeServicesOf<TWinInetCache, TWinRegistry, TWinShell, TWinClock, TWinInternetOptions,
                                         TWinReport, TWinTextConverter>;

class TWinCacheAdmin : public ICacheAdmin {
 public:
  IUrlCache& Cache() override { return FCache; }
  std::unique_ptr<IUrlCacheWalk> FindFirstOfAnyType(CacheEntryRecord& first) override {
    return FCache.FindFirstOfAnyType(first);
  }
  void Clear() override {
    if (const std::size_t refused = FCache.Clear()) {
      throw std::runtime_error(std::to_string(refused) + " entries could not be deleted from the cache");
    }
  }
  // WinInet reports nothing beyond its error codes.
  std::string LastFailure() override { return std::string(); }
  // WinInet has no transactions: each change stands on its own.
  int InOneBatch(const std::function<int()>& change) override { return change(); }
  int Fetch(const std::vector<std::string>&, const TFetchLimits&) override {
    throw std::runtime_error("cache fetch is not available in the Windows edition; the browser fills its cache");
  }

 private:
  TWinInetCache FCache;
};

}  // namespace

std::unique_ptr<IHomeServices> OpenHomeServices(const THomePaths&) { return std::make_unique<TWinHomeServices>(); }

std::unique_ptr<IRegistry> OpenHomeRegistry(const THomePaths&) { return std::make_unique<TWinRegistry>(); }

std::unique_ptr<ICacheAdmin> OpenCacheAdmin(const THomePaths&) { return std::make_unique<TWinCacheAdmin>(); }

std::filesystem::path InstalledModule() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::filesystem::path(std::string(path, length)).parent_path() / "hoardscope.dll";
}

}  // namespace hoardscope
