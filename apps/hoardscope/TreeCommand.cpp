// hoardscope tree: runs the view headless over the home's stores and prints its events and its tree.
//
//   tree [--all] [--long] [--expand NODE]... [--select NODE] [FILTER]
//       --long follows each caption with the node's kind, image and key, and a file's with its URL, size and time;
//       --select leaves out the placeholder rows of nodes not expanded; FILTER (FilterOptions.h) narrows the load.
//       exits with 1 when nothing of a browser's cache could be read (its folder or index cannot be, or every entry
//       is damaged), after saying why on standard error.
#include <iostream>
#include <optional>

#include "Commands.h"
#include "FilterOptions.h"
#include "HeadlessView.h"
#include "Options.h"

namespace hoardscope {
namespace {

struct TTreeOptions {
  bool All = false;
  bool Long = false;
  std::vector<std::string> Expand;
  std::optional<std::string> Select;
  TQuickFilter Filter;
};

constexpr const char* kTreeUsage =
    "usage: hoardscope tree [--all] [--long] [--expand NODE]... [--select NODE] [FILTER]\n";

std::optional<TTreeOptions> ParseTreeOptions(const TArguments& args) {
  TTreeOptions options;
  for (TOptionReader reader(args); reader.Next();) {
    if (reader.Is("--all")) {
      options.All = true;
    } else if (reader.Is("--long")) {
      options.Long = true;
    } else if (reader.HasValue("--expand")) {
      options.Expand.push_back(reader.TakeValue());
    } else if (reader.HasValue("--select")) {
      options.Select = reader.TakeValue();
    } else if (ReadFilterOption(reader, options.Filter) != TFilterOption::Read) {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

int RunTreeCommand(const TArguments& args, const THomePaths& home) {
  const std::optional<TTreeOptions> options = ParseTreeOptions(args);
  if (!options) {
    std::cerr << kTreeUsage << kFilterUsage;
    return 2;
  }
  THeadlessView headless(home, std::cout);
  headless.View().SetQuickFilter(options->Filter);
  const bool read = headless.ShowAndLoad();
  for (const std::string& name : options->Expand) {
    TTreeNode* node = headless.FindNode(name);
    if (!node) return THeadlessView::UnknownNode(name);
    headless.Expand(node);
  }
  if (options->All) headless.ExpandAll();
  if (options->Select) {
    if (!headless.SelectNode(*options->Select)) return THeadlessView::UnknownNode(*options->Select);
  }
  // A selection prints the tree as far as it is open, without the rows that stand for what is not.
  headless.PrintTree(std::cout, {options->Long, !options->Select});
  return read ? 0 : 1;
}

}  // namespace hoardscope
