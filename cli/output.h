#pragma once

#include <span>
#include <string>

#include "cli/cli_options.h"
#include "text/result_row.h"

namespace varnelo::cli {

// Writes the rows where and as the options say: standard output (CSV) or the
// output file in its format. Returns the reason (UTF-8) when the output could
// not be written, empty on success. A file is replaced only once it is whole.
std::string WriteOutput(const CliOptions& options, std::span<const ResultRow> rows);

}  // namespace varnelo::cli
