// Reports: the details list's rows of a node, with its columns, as CSV (RFC 4180), JSON lines or a self-contained
// HTML table. The command line's report and the Files menu's "Save Report…" write the same rows through here.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "presenter/DetailsList.h"

namespace hoardscope {

enum class TReportFormat { Csv, Html, Json };

// The format of a name as the command line takes it ("csv", "html", "json"); nullopt for another.
std::optional<TReportFormat> ReportFormatNamed(std::string_view name);
// The format a file's extension asks for (.html or .htm, .json or .jsonl, else CSV).
TReportFormat ReportFormatOfFile(std::string_view fileName);

// Writes the rows, a line each, with the columns in their order on screen. Every text is written as UTF-8, a
// malformed sequence as U+FFFD. title names the node in the HTML page's title and heading.
// CSV: a header line of the column titles, fields quoted where they hold a comma, a quote or a line break, CR LF
// after each line. JSON: one object per row, keyed by the columns' names in lower case with underscores; size and
// status are numbers, a time or a status that was not stored is null. HTML: one table with a header row.
void WriteDetailsReport(std::ostream& out, const std::vector<TDetailsRow>& rows, TReportFormat format,
                        const std::string& title);

}  // namespace hoardscope
