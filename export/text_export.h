#pragma once

#include <filesystem>
#include <span>

#include "export/export_result.h"
#include "export/random_letters.h"
#include "text/result_row.h"

namespace varnelo {

// The three plain exports. Each writes the rows' code-page-936 bytes as they
// are, no byte-order mark, every record ended by "\r\n"; an empty list gives a
// file of 0 bytes. The file replaces the target only when it is complete.
// Progress counts rows.

// telephone + "----" + shop name per row.
ExportResult ExportText(std::span<const ResultRow> rows, const std::filesystem::path& path,
                        const ExportProgress& progress = {});

// telephone per row.
ExportResult ExportTelephones(std::span<const ResultRow> rows, const std::filesystem::path& path,
                              const ExportProgress& progress = {});

// One six-line vCard 2.1 record per row, named by RandomLetters(1, 0) over
// counter, holding the telephone.
ExportResult ExportContactCards(std::span<const ResultRow> rows, const std::filesystem::path& path,
                                const ExportProgress& progress = {},
                                const FastCounter& counter = {});

}  // namespace varnelo
