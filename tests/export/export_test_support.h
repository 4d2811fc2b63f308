#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "text/result_row.h"

namespace varnelo::testing_support {

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> Entries() const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// A row from UTF-8 texts: number, shop name, telephone, address, area,
// coordinates, each converted to code page 936.
ResultRow Row(const std::string& number, const std::string& name, const std::string& telephone,
              const std::string& address = "", const std::string& area = "",
              const std::string& coordinates = "");

// A workbook as a real reader (xlrd for .xls, openpyxl for .xlsx, run by
// /usr/bin/python3) sees it.
struct ReadCell {
  std::string kind;    // "text", "empty" (never written), "blank" (formatted, no value), "other"
  std::string format;  // number format string
  std::string value;   // UTF-8
};
struct ReadSheet {
  std::string name;
  size_t rows = 0;
  size_t columns = 0;
  std::map<std::pair<size_t, size_t>, ReadCell> cells;
  const ReadCell& at(size_t row, size_t column) const;
};
struct ReadWorkbook {
  bool read = false;  // the reader opened the file at all
  std::string failure;
  std::vector<ReadSheet> sheets;
  std::vector<std::string> warnings;
};
ReadWorkbook ReadBack(const std::filesystem::path& path);

// What check_xls_structure.py says of an .xls file: "ok" when every record
// that points at another one points at the right place.
std::string CheckXlsStructure(const std::filesystem::path& path);

}  // namespace varnelo::testing_support
