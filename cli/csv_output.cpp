#include "cli/csv_output.h"

#include "text/code_page.h"

namespace varnelo::cli {

std::string CsvField(std::string_view utf8) {
  if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(utf8);
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

void WriteCsv(std::ostream& out, std::span<const ResultRow> rows) {
  WriteCsvHeader(out);
  WriteCsvRows(out, rows);
}

void WriteCsvHeader(std::ostream& out) {
  out << "\xEF\xBB\xBF"
      << "编号,店铺名,联系电话,联系地址,区域,详细坐标\r\n";
}

void WriteCsvRows(std::ostream& out, std::span<const ResultRow> rows) {
  for (const ResultRow& row : rows) {
    for (size_t column = 0; column < row.size(); ++column) {
      if (column > 0) out << ',';
      out << CsvField(GbkToUtf8(row[column]));
    }
    out << "\r\n";
  }
}

}  // namespace varnelo::cli
