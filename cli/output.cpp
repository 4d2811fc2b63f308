#include "cli/output.h"

#include <iostream>
#include <sstream>

#include "cli/csv_output.h"
#include "export/atomic_file.h"
#include "export/spreadsheet_export.h"
#include "export/text_export.h"

namespace varnelo::cli {
namespace {

std::string WriteCsvFile(const std::filesystem::path& path, std::span<const ResultRow> rows) {
  AtomicFile file(path);
  if (!file.Open()) return file.error();
  // Row by row through the file's buffer, so a long list is never held twice.
  std::ostringstream chunk;
  WriteCsvHeader(chunk);
  file.Write(chunk.str());
  for (const ResultRow& row : rows) {
    chunk.str({});
    WriteCsvRows(chunk, std::span<const ResultRow>(&row, 1));
    if (!file.Write(chunk.str())) break;
  }
  if (!file.Commit()) return file.error();
  return {};
}

std::string Reason(const ExportResult& result) { return result.ok() ? "" : result.reason; }

}  // namespace

std::string WriteOutput(const CliOptions& options, std::span<const ResultRow> rows) {
  if (!options.output) {
    WriteCsv(std::cout, rows);
    std::cout.flush();
    return std::cout ? "" : "cannot write to standard output";
  }
  const std::filesystem::path& path = *options.output;
  std::string reason;
  switch (options.format) {
    case OutputFormat::kCsv:
      reason = WriteCsvFile(path, rows);
      break;
    case OutputFormat::kPairs:
      reason = Reason(ExportText(rows, path));
      break;
    case OutputFormat::kPhones:
      reason = Reason(ExportTelephones(rows, path));
      break;
    case OutputFormat::kVcf:
      reason = Reason(ExportContactCards(rows, path));
      break;
    case OutputFormat::kXls:
      reason = Reason(ExportXls(rows, path));
      break;
    case OutputFormat::kXlsx:
      reason = Reason(ExportXlsx(rows, path));
      break;
  }
  if (reason.empty()) return {};
  return "cannot write " + path.string() + ": " + reason;
}

}  // namespace varnelo::cli
