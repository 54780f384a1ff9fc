// hoardscope: the Linux edition's executable. With a subcommand it runs the view and the stores headless.
#include <exception>
#include <iostream>

#include "Commands.h"

namespace {

constexpr const char* kUsage =
    "usage: hoardscope tree [--all] [--long] [--expand NODE]... [--select NODE]\n"
    "       hoardscope search TEXT [--case] [--age today|week|month] [--in NODE | --whole] [--long]\n"
    "       hoardscope cache add|fetch|list|info|delete|clear ...\n"
    "       hoardscope reg query|add|delete KEY [/v NAME | /ve | /va] [/t TYPE] [/d DATA] [/f] [/s]\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace hoardscope;
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string command = argv[1];
  const TArguments args(argv + 2, argv + argc);
  try {
    const THomePaths home = ResolveHome();
    if (command == "cache") return RunCacheCommand(args, home);
    if (command == "reg") return RunRegCommand(args, home);
    if (command == "tree") return RunTreeCommand(args, home);
    if (command == "search") return RunSearchCommand(args, home);
  } catch (const std::exception& error) {
    std::cerr << "hoardscope: " << error.what() << "\n";
    return 1;
  }
  std::cerr << "hoardscope: unknown command '" << command << "'\n" << kUsage;
  return 2;
}
