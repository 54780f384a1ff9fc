// The edition's services for one run as one object of each service's own type: each edition names its types, the
// answers to IHomeServices are the same for both.
#pragma once

#include "platform/ports/Home.h"

namespace hoardscope {

template <class TCache, class TRegistry, class TShell, class TClock, class TInternet, class TReport, class TConverter>
class THomeServicesOf final : public IHomeServices {
 public:
  // Every service made without arguments.
  THomeServicesOf() = default;
  // The cache, the registry and the shell each made of its argument, the others without one.
  template <class CacheArgument, class RegistryArgument, class ShellArgument>
  THomeServicesOf(const CacheArgument& cache, const RegistryArgument& registry, const ShellArgument& shell)
      : FCache(cache), FRegistry(registry), FShell(shell) {}

  IUrlCache& Cache() override { return FCache; }
  IRegistry& Registry() override { return FRegistry; }
  IShell& Shell() override { return FShell; }
  IClock& Clock() override { return FClock; }
  IInternetOptions& Internet() override { return FInternet; }
  IReport& Report() override { return FReport; }
  ITextConverter& Converter() override { return FConverter; }

 private:
  TCache FCache;
  TRegistry FRegistry;
  TShell FShell;
  TClock FClock;
  TInternet FInternet;
  TReport FReport;
  TConverter FConverter;
};

}  // namespace hoardscope
