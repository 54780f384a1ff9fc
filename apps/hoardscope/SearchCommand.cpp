// hoardscope search: runs the view headless, selects a node and runs the Search action with the dialog answered
// by the options; prints the events, the "Search Result" branch fully expanded and the status panels.
//
//   search TEXT [--case] [--age today|week|month] [--in NODE | --whole] [--long] [--fail-if-none] [FILTER]
//       FILTER (FilterOptions.h) narrows the load, and so what is searched; exits with 0 whether or not anything was found, unless --fail-if-none asks for 1 when nothing was.
#include <iostream>
#include <optional>

#include "Commands.h"
#include "FilterOptions.h"
#include "HeadlessView.h"
#include "Options.h"

namespace hoardscope {
namespace {

constexpr const char* kSearchUsage =
    "usage: hoardscope search TEXT [--case] [--age today|week|month] [--in NODE | --whole] [--long] "
    "[--fail-if-none] [FILTER]\n";

struct TSearchOptions {
  THeadlessAnswers Answers;
  std::optional<std::string> Node;
  bool Long = false;
  bool FailIfNone = false;
  TQuickFilter Filter;
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
  for (TOptionReader reader(args, 1); reader.Next();) {
    if (reader.Is("--case")) {
      options.Answers.CaseSensitive = true;
    } else if (reader.Is("--whole") && !options.Node) {
      options.Answers.WholeCache = true;
    } else if (reader.Is("--long")) {
      options.Long = true;
    } else if (reader.Is("--fail-if-none")) {
      options.FailIfNone = true;
    } else if (reader.HasValue("--in") && !options.Answers.WholeCache) {
      options.Node = reader.TakeValue();
    } else if (reader.HasValue("--age")) {
      const std::optional<TDateChoice> age = ParseAge(reader.TakeValue());
      if (!age) return std::nullopt;
      options.Answers.Age = *age;
    } else if (ReadFilterOption(reader, options.Filter) != TFilterOption::Read) {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

int RunSearchCommand(const TArguments& args, const THomePaths& home) {
  const std::optional<TSearchOptions> options = ParseSearchOptions(args);
  if (!options) {
    std::cerr << kSearchUsage << kFilterUsage;
    return 2;
  }
  THeadlessView headless(home, std::cout);
  headless.View().SetQuickFilter(options->Filter);
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
    headless.PrintTree(std::cout, {options->Long}, view.State().SearchNode);
  } else {
    headless.PrintPanels(std::cout);
  }
  return options->FailIfNone && view.State().SearchList.Empty() ? 1 : 0;
}

}  // namespace hoardscope
