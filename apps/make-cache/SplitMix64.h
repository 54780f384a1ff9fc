// make-cache's random numbers: splitmix64, small and fully specified, so a seed gives the same cache on every
// platform and library version.
#pragma once

#include <cstdint>
#include <iterator>

namespace hoardscope {

class TSplitMix64 {
 public:
  explicit TSplitMix64(std::uint64_t seed) : State(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A number below bound (> 0). The modulo bias is far below anything the synthetic data could show.
  std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }

  // True in perMille cases out of 1000.
  bool Chance(unsigned perMille) { return Below(1000) < perMille; }

  // One item of a non-empty array or span.
  template <class TItems>
  const auto& Pick(const TItems& items) {
    return items[Below(std::size(items))];
  }

 private:
  std::uint64_t State;
};

}  // namespace hoardscope
