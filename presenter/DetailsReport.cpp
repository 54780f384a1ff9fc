// Writing the details list's rows as CSV, JSON lines or an HTML table.
#include "presenter/DetailsReport.h"

#include <cstdio>

#include "core/TextEncodings.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

std::string Utf8Text(const std::string& text) { return IsValidUtf8(text) ? text : DecodeUtf8(text); }

bool IsNumberColumn(TDetailsColumn column) {
  return column == TDetailsColumn::Size || column == TDetailsColumn::Status;
}

// The columns whose empty cell says that nothing was stored: the times and the status.
bool MayBeUnstored(TDetailsColumn column) {
  return column == TDetailsColumn::TimeCached || column == TDetailsColumn::LastAccess ||
         column == TDetailsColumn::Expiry || column == TDetailsColumn::Status;
}

// The column's key in a JSON line: its title in lower case, words joined by "_".
std::string JsonKeyOf(TDetailsColumn column) {
  std::string key = LowerAscii(DetailsColumnTitle(column));
  for (char& c : key) {
    if (c == ' ') c = '_';
  }
  return key;
}

void WriteCsvField(std::ostream& out, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    out << text;
    return;
  }
  out << '"';
  for (const char c : text) out << (c == '"' ? "\"\"" : std::string(1, c));
  out << '"';
}

void WriteJsonString(std::ostream& out, const std::string& text) {
  out << '"';
  for (const char c : text) {
    switch (c) {
      case '"': out << "\\\""; break;
      case '\\': out << "\\\\"; break;
      case '\n': out << "\\n"; break;
      case '\r': out << "\\r"; break;
      case '\t': out << "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out << escaped;
        } else {
          out << c;
        }
    }
  }
  out << '"';
}

void WriteCsv(std::ostream& out, const std::vector<TDetailsRow>& rows) {
  const auto writeLine = [&out](const auto& fieldOf) {
    for (std::size_t i = 0; i < kDetailsColumnCount; ++i) {
      if (i > 0) out << ',';
      WriteCsvField(out, fieldOf(kDetailsColumns[i]));
    }
    out << "\r\n";
  };
  writeLine([](TDetailsColumn column) { return std::string(DetailsColumnTitle(column)); });
  for (const TDetailsRow& row : rows) {
    writeLine([&row](TDetailsColumn column) { return Utf8Text(DetailsCellText(*row.Info, column)); });
  }
}

void WriteJsonLines(std::ostream& out, const std::vector<TDetailsRow>& rows) {
  for (const TDetailsRow& row : rows) {
    out << '{';
    for (std::size_t i = 0; i < kDetailsColumnCount; ++i) {
      const TDetailsColumn column = kDetailsColumns[i];
      const std::string cell = Utf8Text(DetailsCellText(*row.Info, column));
      out << (i > 0 ? "," : "") << '"' << JsonKeyOf(column) << "\":";
      if (cell.empty() && MayBeUnstored(column)) {
        out << "null";
      } else if (IsNumberColumn(column)) {
        out << cell;
      } else {
        WriteJsonString(out, cell);
      }
    }
    out << "}\n";
  }
}

void WriteHtml(std::ostream& out, const std::vector<TDetailsRow>& rows, const std::string& title) {
  const std::string heading = Utf8Text(title);
  out << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
  out << HtmlEscaped(heading);
  out << "</title>\n<style>\n"
         "body { font-family: sans-serif; font-size: 13px; }\n"
         "table { border-collapse: collapse; }\n"
         "th, td { border: 1px solid #bbb; padding: 2px 6px; text-align: left; vertical-align: top; }\n"
         "th { background: #eee; }\n"
         "td.number { text-align: right; }\n"
         "</style>\n</head>\n<body>\n<h1>";
  out << HtmlEscaped(heading);
  out << "</h1>\n<table>\n<thead>\n<tr>";
  for (const TDetailsColumn column : kDetailsColumns) out << "<th>" << DetailsColumnTitle(column) << "</th>";
  out << "</tr>\n</thead>\n<tbody>\n";
  for (const TDetailsRow& row : rows) {
    out << "<tr>";
    for (const TDetailsColumn column : kDetailsColumns) {
      out << (IsNumberColumn(column) ? "<td class=\"number\">" : "<td>");
      out << HtmlEscaped(Utf8Text(DetailsCellText(*row.Info, column)));
      out << "</td>";
    }
    out << "</tr>\n";
  }
  out << "</tbody>\n</table>\n</body>\n</html>\n";
}

}  // namespace

std::optional<TReportFormat> ReportFormatNamed(std::string_view name) {
  if (name == "csv") return TReportFormat::Csv;
  if (name == "html") return TReportFormat::Html;
  if (name == "json") return TReportFormat::Json;
  return std::nullopt;
}

TReportFormat ReportFormatOfFile(std::string_view fileName) {
  const std::string extension = LowerAscii(PathFindExtension(fileName));
  if (extension == ".html" || extension == ".htm") return TReportFormat::Html;
  if (extension == ".json" || extension == ".jsonl") return TReportFormat::Json;
  return TReportFormat::Csv;
}

void WriteDetailsReport(std::ostream& out, const std::vector<TDetailsRow>& rows, TReportFormat format,
                        const std::string& title) {
  switch (format) {
    case TReportFormat::Csv: WriteCsv(out, rows); break;
    case TReportFormat::Json: WriteJsonLines(out, rows); break;
    case TReportFormat::Html: WriteHtml(out, rows, title); break;
  }
}

}  // namespace hoardscope
