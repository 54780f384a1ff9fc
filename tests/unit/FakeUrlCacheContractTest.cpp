// The URL cache contract run against the in-memory cache that the unit tests use, so that the fake behaves like
// the real backends.
#include "tests/contract/UrlCacheContract.h"
#include "tests/fakes/FakeUrlCache.h"

namespace hoardscope {
namespace {

struct TFakeCacheBackend {
  static constexpr bool kMeasuresFiles = false;   // the fake only names its local files
  static constexpr bool kWalksInOrder = true;
  static constexpr bool kNamesPlainly = true;
  static constexpr bool kKeepsExactTypesAndTimes = true;
  static constexpr bool kTakesEntries = true;
  IUrlCache& Cache() { return Fake; }
  void WriteReserved(const std::string&, const std::string&) {}
  TFakeUrlCache Fake;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, UrlCacheContract, ::testing::Types<TFakeCacheBackend>);

}  // namespace hoardscope
