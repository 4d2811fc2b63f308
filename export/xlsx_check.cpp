#include "export/xlsx_check.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace varnelo {
namespace {

constexpr uint32_t kEndOfDirectory = 0x06054B50;
constexpr uint32_t kDirectoryEntry = 0x02014B50;
constexpr uint32_t kLocalHeader = 0x04034B50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kEntrySize = 46;
constexpr size_t kLocalSize = 30;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return U16(p) | static_cast<uint32_t>(U16(p + 2)) << 16; }

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool ReadAt(FILE* file, uint64_t offset, void* data, size_t size) {
  if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(data, 1, size, file) == size;
}

struct Entry {
  std::string name;
  uint16_t method = 0;
  uint32_t crc = 0;
  uint32_t compressed = 0;
  uint32_t size = 0;
  uint32_t local_header = 0;
};

// The central directory of a zip file without ZIP64 records.
bool ReadDirectory(FILE* file, std::vector<Entry>& entries) {
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const off_t file_size = ftello(file);
  if (file_size < static_cast<off_t>(kEndRecordSize)) return false;
  // The end record sits at the very end unless there is an archive comment.
  const size_t tail_size = static_cast<size_t>(std::min<off_t>(file_size, 65535 + kEndRecordSize));
  std::vector<uint8_t> tail(tail_size);
  if (!ReadAt(file, static_cast<uint64_t>(file_size) - tail_size, tail.data(), tail_size))
    return false;
  size_t end = tail_size - kEndRecordSize + 1;
  do {
    --end;
    if (U32(&tail[end]) == kEndOfDirectory) break;
  } while (end > 0);
  if (U32(&tail[end]) != kEndOfDirectory) return false;
  const uint16_t count = U16(&tail[end + 10]);
  const uint32_t directory_size = U32(&tail[end + 12]);
  const uint32_t directory_offset = U32(&tail[end + 16]);
  if (count == 0xFFFF || directory_offset == 0xFFFFFFFF) return false;  // ZIP64

  std::vector<uint8_t> directory(directory_size);
  if (!ReadAt(file, directory_offset, directory.data(), directory.size())) return false;
  size_t at = 0;
  for (uint16_t i = 0; i < count; ++i) {
    if (at + kEntrySize > directory.size() || U32(&directory[at]) != kDirectoryEntry) return false;
    const uint8_t* e = &directory[at];
    Entry entry;
    entry.method = U16(e + 10);
    entry.crc = U32(e + 16);
    entry.compressed = U32(e + 20);
    entry.size = U32(e + 24);
    const size_t name_length = U16(e + 28);
    const size_t skip = name_length + U16(e + 30) + U16(e + 32);
    entry.local_header = U32(e + 42);
    if (at + kEntrySize + skip > directory.size()) return false;
    entry.name.assign(reinterpret_cast<const char*>(e + kEntrySize), name_length);
    entries.push_back(std::move(entry));
    at += kEntrySize + skip;
  }
  return true;
}

// Counts the rows of one worksheet part as it is inflated, and keeps its end.
class SheetScanner {
 public:
  void Feed(const uint8_t* data, size_t size) {
    std::string_view chunk(reinterpret_cast<const char*>(data), size);
    carry_.append(chunk);
    static constexpr std::string_view kRowEnd = "</row>";
    for (size_t at = carry_.find(kRowEnd); at != std::string::npos;
         at = carry_.find(kRowEnd, at + kRowEnd.size()))
      ++rows_;
    // Keep just enough to find a row end or the closing tag cut by the chunk
    // boundary.
    constexpr size_t kKeep = 16;
    if (carry_.size() > kKeep) {
      size_t cut = carry_.size() - kKeep;
      // Never cut inside a row end that was already counted.
      size_t last = carry_.rfind(kRowEnd);
      if (last != std::string::npos && last + kRowEnd.size() > cut) cut = last + kRowEnd.size();
      carry_.erase(0, cut);
    }
  }
  size_t rows() const { return rows_; }
  bool closed() const {
    static constexpr std::string_view kClose = "</worksheet>";
    std::string_view end(carry_);
    while (!end.empty() && (end.back() == '\n' || end.back() == '\r' || end.back() == ' '))
      end.remove_suffix(1);
    return end.size() >= kClose.size() && end.substr(end.size() - kClose.size()) == kClose;
  }

 private:
  std::string carry_;
  size_t rows_ = 0;
};

std::string CheckSheet(FILE* file, const Entry& entry, size_t expected_rows) {
  const std::string broken = entry.name + " is damaged";
  uint8_t local[kLocalSize];
  if (!ReadAt(file, entry.local_header, local, sizeof local) || U32(local) != kLocalHeader)
    return broken;
  uint64_t data = uint64_t{entry.local_header} + kLocalSize + U16(local + 26) + U16(local + 28);
  if (fseeko(file, static_cast<off_t>(data), SEEK_SET) != 0) return broken;
  if (entry.method != 0 && entry.method != Z_DEFLATED) return broken;

  SheetScanner scanner;
  uLong crc = crc32(0, nullptr, 0);
  uint64_t produced = 0;
  std::vector<uint8_t> in(1 << 16);
  std::vector<uint8_t> out(1 << 16);
  auto take = [&](const uint8_t* bytes, size_t size) {
    crc = crc32(crc, bytes, static_cast<uInt>(size));
    produced += size;
    scanner.Feed(bytes, size);
  };

  uint64_t left = entry.compressed;
  if (entry.method == 0) {
    while (left > 0) {
      size_t n = std::fread(in.data(), 1, std::min<uint64_t>(left, in.size()), file);
      if (n == 0) return broken;
      take(in.data(), n);
      left -= n;
    }
  } else {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return "out of memory";
    int status = Z_OK;
    for (;;) {
      if (stream.avail_in == 0 && left > 0) {
        size_t n = std::fread(in.data(), 1, std::min<uint64_t>(left, in.size()), file);
        if (n == 0) break;
        left -= n;
        stream.next_in = in.data();
        stream.avail_in = static_cast<uInt>(n);
      }
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      status = inflate(&stream, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END) break;
      take(out.data(), out.size() - stream.avail_out);
      if (status == Z_STREAM_END) break;
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) return broken;
  }
  if (crc != entry.crc || produced != entry.size) return broken;
  if (!scanner.closed() || scanner.rows() != expected_rows)
    return entry.name + " came out incomplete";
  return {};
}

}  // namespace

std::string CheckXlsxSheets(const std::filesystem::path& path, std::span<const size_t> sheet_rows) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return "cannot read the written workbook back";
  std::vector<Entry> entries;
  if (!ReadDirectory(file.get(), entries)) return "the written workbook is not a complete zip file";
  for (size_t i = 0; i < sheet_rows.size(); ++i) {
    const std::string name = "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml";
    auto found = std::find_if(entries.begin(), entries.end(),
                              [&](const Entry& entry) { return entry.name == name; });
    if (found == entries.end()) return name + " is missing from the written workbook";
    if (std::string problem = CheckSheet(file.get(), *found, sheet_rows[i]); !problem.empty())
      return problem;
  }
  return {};
}

}  // namespace varnelo
