#include "tests/export/export_test_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "text/code_page.h"

namespace varnelo::testing_support {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "varnelo-export-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // Read-only entries made by a test must not keep the folder alive.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempFolder::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

ResultRow Row(const std::string& number, const std::string& name, const std::string& telephone,
              const std::string& address, const std::string& area, const std::string& coordinates) {
  return {Utf8ToGbk(number),  Utf8ToGbk(name), Utf8ToGbk(telephone),
          Utf8ToGbk(address), Utf8ToGbk(area), Utf8ToGbk(coordinates)};
}

const ReadCell& ReadSheet::at(size_t row, size_t column) const {
  static const ReadCell kMissing{"missing", "", ""};
  auto found = cells.find({row, column});
  return found == cells.end() ? kMissing : found->second;
}

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

std::string Unescape(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      char next = text[++i];
      plain.push_back(next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next);
    } else {
      plain.push_back(text[i]);
    }
  }
  return plain;
}

}  // namespace

namespace {

// Runs one of the Python helpers beside this file on path; false when it
// could not be run or failed.
bool RunHelper(const char* script, const std::filesystem::path& path, std::string& output) {
  std::string command = std::string("/usr/bin/python3 '") + VARNELO_EXPORT_TEST_DIR + "/" + script +
                        "' '" + path.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    output = "cannot run " + std::string(script);
    return false;
  }
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::string CheckXlsStructure(const std::filesystem::path& path) {
  std::string output;
  RunHelper("check_xls_structure.py", path, output);
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

ReadWorkbook ReadBack(const std::filesystem::path& path) {
  ReadWorkbook book;
  std::string output;
  if (!RunHelper("read_workbook.py", path, output)) {
    book.failure = output;
    return book;
  }
  book.read = true;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> f = SplitTabs(line);
    if (f[0] == "sheet" && f.size() == 4) {
      book.sheets.push_back({Unescape(f[1]), std::stoul(f[2]), std::stoul(f[3]), {}});
    } else if (f[0] == "cell" && f.size() == 6 && !book.sheets.empty()) {
      book.sheets.back().cells[{std::stoul(f[1]), std::stoul(f[2])}] =
          ReadCell{f[3], Unescape(f[4]), Unescape(f[5])};
    } else {
      book.warnings.push_back(line);
    }
  }
  return book;
}

}  // namespace varnelo::testing_support
