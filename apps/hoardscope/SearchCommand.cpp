// hoardscope search: runs the view headless, selects a node and runs the Search action with the dialog answered
// by the options; prints the events, the "Search Result" branch fully expanded and the status panels.
//
//   search TEXT [--case] [--age today|week|month] [--in NODE | --whole] [--long]
#include <iostream>
#include <optional>

#include "Commands.h"
#include "HeadlessView.h"

namespace hoardscope {
namespace {

constexpr const char* kSearchUsage =
    "usage: hoardscope search TEXT [--case] [--age today|week|month] [--in NODE | --whole] [--long]\n";

struct TSearchOptions {
  THeadlessAnswers Answers;
  std::optional<std::string> Node;
  bool Long = false;
};

std::optional<TDateChoice> ParseAge(const std::string& text) {
  if (text == "today") return TDateChoice::dcToday;
  if (text == "week") return TDateChoice::dcThisWeek;
  if (text == "month") return TDateChoice::dcThisMonth;
  return std::nullopt;
}

std::optional<TSearchOptions> ParseSearchOptions(const TArguments& args) {
  if (args.empty()) return std::nullopt;
  TSearchOptions options;
  options.Answers.SearchText = args[0];
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--case") {
      options.Answers.CaseSensitive = true;
    } else if (arg == "--whole" && !options.Node) {
      options.Answers.WholeCache = true;
    } else if (arg == "--long") {
      options.Long = true;
    } else if (arg == "--in" && hasValue && !options.Answers.WholeCache) {
      options.Node = args[++i];
    } else if (arg == "--age" && hasValue) {
      const std::optional<TDateChoice> age = ParseAge(args[++i]);
      if (!age) return std::nullopt;
      options.Answers.Age = *age;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

int RunSearchCommand(const TArguments& args, const THomePaths& home) {
  const std::optional<TSearchOptions> options = ParseSearchOptions(args);
  if (!options) {
    std::cerr << kSearchUsage;
    return 2;
  }
  THeadlessView headless(home, std::cout);
  headless.ShowAndLoad();
  THoardscopeMain& view = headless.View();
  if (!options->Node) {
    view.TreeView1Change(view.State().RootNode);
  } else if (!headless.SelectNode(*options->Node)) {
    return THeadlessView::UnknownNode(*options->Node);
  }
  headless.Answers = options->Answers;
  view.alSearchExecute();
  if (view.State().SearchNode) {
    headless.ExpandBelow(view.State().SearchNode);
    headless.PrintTree(std::cout, options->Long, view.State().SearchNode);
  } else {
    headless.PrintPanels(std::cout);
  }
  return 0;
}

}  // namespace hoardscope
