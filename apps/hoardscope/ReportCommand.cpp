// hoardscope report: the details list's rows of a node as a report.
//
//   report [NODE] [--format csv|html|json] [--output FILE] [FILTER]
//       selects NODE (the whole cache without one) and writes one row per file below it, with the details list's columns (URL, caption,
//       content type, size, time cached, last access, expiry, status, server): CSV by default (RFC 4180, a header
//       line), JSON lines, or a self-contained HTML table; on standard output, or into FILE. Exits with 1 when
//       FILE cannot be written.
#include <fstream>
#include <iostream>
#include <optional>

#include "Commands.h"
#include "FilterOptions.h"
#include "HeadlessView.h"
#include "presenter/DetailsReport.h"

namespace hoardscope {
namespace {

struct TReportOptions {
  std::optional<std::string> Node;  // none: the root
  TReportFormat Format = TReportFormat::Csv;
  std::optional<std::string> Output;
  TQuickFilter Filter;
};

std::optional<TReportOptions> ParseReportOptions(const TArguments& args) {
  TReportOptions options;
  for (TOptionReader reader(args); reader.Next();) {
    if (!reader.IsOption()) {
      if (options.Node) return std::nullopt;
      options.Node = reader.Current();
    } else if (reader.HasValue("--format")) {
      const std::optional<TReportFormat> format = ReportFormatNamed(reader.TakeValue());
      if (!format) return std::nullopt;
      options.Format = *format;
    } else if (reader.HasValue("--output") && !options.Output) {
      options.Output = reader.TakeValue();
    } else if (ReadFilterOption(reader, options.Filter) != TFilterOption::Read) {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

int RunReportCommand(const TArguments& args, const THomePaths& home) {
  const std::optional<TReportOptions> options = ParseReportOptions(args);
  if (!options) {
    std::cerr << "usage: hoardscope report [NODE] [--format csv|html|json] [--output FILE] [FILTER]\n" << kFilterUsage;
    return 2;
  }
  // The view's events go to standard error: standard output may be the report.
  THeadlessView headless(home, std::cerr);
  headless.View().SetQuickFilter(options->Filter);
  headless.ShowAndLoad();
  const TTreeNode* selected =
      options->Node ? headless.SelectNode(*options->Node) : headless.View().State().RootNode;
  if (!selected) return THeadlessView::UnknownNode(*options->Node);
  const TTreeNode& node = *selected;
  if (!options->Output) {
    headless.View().WriteReport(node, options->Format, std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
  }
  std::ofstream out(*options->Output, std::ios::binary | std::ios::trunc);
  if (out) headless.View().WriteReport(node, options->Format, out);
  out.close();
  if (out) return 0;
  std::cerr << "hoardscope: cannot write the report to " << *options->Output << "\n";
  return 1;
}

}  // namespace hoardscope
