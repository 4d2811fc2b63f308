#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "text/result_row.h"

namespace varnelo::cli {

// One CSV field as RFC 4180 writes it: quoted when it holds a comma, a double
// quote, CR or LF, with inner double quotes doubled.
std::string CsvField(std::string_view utf8);

// The rows as CSV: UTF-8 with a byte-order mark, CRLF line ends, a header row,
// then the six columns of every row (converted from code page 936).
void WriteCsv(std::ostream& out, std::span<const ResultRow> rows);

// The two halves of WriteCsv: the byte-order mark with the header row, and
// the rows.
void WriteCsvHeader(std::ostream& out);
void WriteCsvRows(std::ostream& out, std::span<const ResultRow> rows);

}  // namespace varnelo::cli
