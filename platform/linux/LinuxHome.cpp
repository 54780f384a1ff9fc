// The Linux edition's stores for the command line: the cache store and the registry store of the home, the
// freedesktop shell and the HTTP layer.
#include <cstdlib>
#include <iostream>

#include "platform/linux/LinuxHome.h"
#include "platform/ports/CacheAdmin.h"
#include "platform/ports/HomeServicesOf.h"
#include "platform/linux/CacheStore.h"
#include "platform/linux/IconvConverter.h"
#include "platform/linux/HttpClient.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/RegistryStore.h"
#include "platform/linux/StderrReport.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/com/ConnectedState.h"

namespace hoardscope {
namespace {

using TLinuxHomeServices = THomeServicesOf<TCacheStore, TRegistryStore, TLinuxShell, TSystemClock, TConnectedState,
                                           TStderrReport, TIconvConverter>;

class TLinuxCacheAdmin : public ICacheAdmin {
 public:
  explicit TLinuxCacheAdmin(const THomePaths& home) : FStore(home.CacheRoot) {}

  IUrlCache& Cache() override { return FStore; }
  std::unique_ptr<IUrlCacheWalk> FindFirstOfAnyType(CacheEntryRecord& first) override {
    return FStore.FindFirstOfAnyType(first);
  }
  void Clear() override { FStore.Clear(); }
  std::string LastFailure() override { return FStore.LastFailure(); }

  int InOneBatch(const std::function<int()>& change) override {
    TCacheStore::TBatch batch(FStore);
    const int result = change();
    if (result == 0) batch.Commit();
    return result;
  }

  int Fetch(const std::vector<std::string>& urls, const TFetchLimits& limits) override {
    THttpLimits httpLimits;
    httpLimits.MaxSeconds = limits.MaxSeconds.value_or(httpLimits.MaxSeconds);
    httpLimits.MaxBytes = limits.MaxBytes.value_or(httpLimits.MaxBytes);
    THttpClient client(FStore, httpLimits);
    bool allFetched = true;
    for (const std::string& url : urls) {
      const THttpResponse response = client.Download(url);
      if (response.Source != TFetchSource::Network) {
        std::cerr << "hoardscope: " << response.Error << "\n";
        allFetched = false;
        continue;
      }
      std::cout << url << '\t' << response.Status << '\t' << response.Size << '\n';
      if (response.Status >= 400) allFetched = false;
    }
    std::cout.flush();
    return allFetched ? 0 : 1;
  }

 private:
  TCacheStore FStore;
};

}  // namespace

std::unique_ptr<IHomeServices> OpenHomeServices(const THomePaths& home) {
  return std::make_unique<TLinuxHomeServices>(home.CacheRoot, home.RegistryFile, home.CacheRoot);
}

std::unique_ptr<IRegistry> OpenHomeRegistry(const THomePaths& home) {
  return std::make_unique<TRegistryStore>(home.RegistryFile);
}

std::unique_ptr<ICacheAdmin> OpenCacheAdmin(const THomePaths& home) { return std::make_unique<TLinuxCacheAdmin>(home); }

std::filesystem::path InstalledFile(const std::string& name) {
  std::error_code error;
  const std::filesystem::path programFolder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  const std::filesystem::path beside = programFolder / name;
  const std::filesystem::path packaged = programFolder.parent_path() / "lib" / "hoardscope" / name;
  return std::filesystem::exists(beside, error) || !std::filesystem::exists(packaged, error) ? beside : packaged;
}

std::filesystem::path InstalledModule() { return InstalledFile("libhoardscope.so"); }

}  // namespace hoardscope
