#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>

namespace varnelo {

// Reads a freshly written .xlsx back and checks that every worksheet part is
// complete: present, intact (CRC and size), closed by "</worksheet>" and
// holding the expected number of rows. The library that writes workbooks does
// not notice when its temporary files cannot be written (a full disk), and
// would then zip a cut-off sheet as if nothing had happened.
//
// Returns an empty text when the file is sound, otherwise what is wrong.
std::string CheckXlsxSheets(const std::filesystem::path& path, std::span<const size_t> sheet_rows);

}  // namespace varnelo
