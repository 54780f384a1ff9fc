// Reads a subcommand's arguments one at a time: its options ("--name", alone or with the next argument as its
// value) among its positional arguments. What an option means, and what makes a usage error, stays with each
// subcommand.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Commands.h"

namespace hoardscope {

class TOptionReader {
 public:
  // Reads args from index first on.
  explicit TOptionReader(const TArguments& args, std::size_t first = 0) : FArgs(args), FNext(first) {}

  // Moves to the next argument; false when there is none.
  bool Next() {
    if (FNext >= FArgs.size()) return false;
    FCurrent = FNext++;
    return true;
  }
  const std::string& Current() const { return FArgs[FCurrent]; }
  // Whether the current argument is the option name.
  bool Is(std::string_view name) const { return Current() == name; }
  // Whether the current argument is the option name and an argument follows it for its value.
  bool HasValue(std::string_view name) const { return Is(name) && FNext < FArgs.size(); }
  // The argument after the current one, which it passes over.
  const std::string& TakeValue() { return FArgs[FCurrent = FNext++]; }
  // Whether the current argument is written as an option.
  bool IsOption() const { return Current().starts_with("--"); }

 private:
  const TArguments& FArgs;
  std::size_t FNext;
  std::size_t FCurrent = 0;
};

}  // namespace hoardscope
