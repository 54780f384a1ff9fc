// The URL cache contracts run against the in-memory cache that the unit tests use, so that the fake behaves like
// the real backends.
#include "tests/contract/UrlCacheContract.h"
#include "tests/fakes/FakeUrlCache.h"

namespace hoardscope {
namespace {

// The fake only names its local files, so it has no part in the contract of files on disk.
struct TFakeCacheBackend {
  static constexpr bool kKeepsExactTypesAndTimes = true;
  IUrlCache& Cache() { return Fake; }
  void WriteReserved(const std::string&, const std::string&) {}
  TFakeUrlCache Fake;
};

}  // namespace

using TFake = ::testing::Types<TFakeCacheBackend>;
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, UrlCacheReaderContract, TFake);
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, UrlCacheDeleterContract, TFake);
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, UrlCacheWriterContract, TFake);
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, ExactUrlCacheWriterContract, TFake);

}  // namespace hoardscope
