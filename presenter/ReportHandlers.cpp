// The view's handler of "Save Report…", and the report both it and the command line write.
#include <fstream>

#include "presenter/HoardscopeMain.h"

namespace hoardscope {
namespace {

const TFileDialogSpec kReportDialog{"CSV (*.csv)|*.csv|HTML (*.html)|*.html|JSON lines (*.json)|*.json", "csv", true};

}  // namespace

std::size_t THoardscopeMain::WriteReport(const TTreeNode& node, TReportFormat format, std::ostream& out) {
  const std::vector<TDetailsRow> rows = DetailsRowsOf(node);
  const std::string& name = node.Key().empty() ? node.Caption() : node.Key();
  WriteDetailsReport(out, rows, format, "Hoardscope report: " + name);
  return rows.size();
}

void THoardscopeMain::alSaveReportExecute() {
  const TTreeNode* node = FState.Selected ? FState.Selected : FState.RootNode;
  if (!FServices.Dialogs || !node) return;
  const std::optional<std::string> fileName = FServices.Dialogs->AskSaveFileName(kReportDialog);
  if (!fileName) return;
  std::ofstream out(*fileName, std::ios::binary | std::ios::trunc);
  if (out) WriteReport(*node, ReportFormatOfFile(*fileName), out);
  out.close();
  if (!out) FServices.Desktop.ShowMessage("Cannot write the report to " + *fileName + ".", MessageButtons::Ok);
}

}  // namespace hoardscope
