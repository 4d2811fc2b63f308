#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "export/byte_sink.h"

namespace varnelo {

class AtomicFile;

// Where the parts of a compound file (version 3, 512-byte sectors) holding a
// single stream go: the header, then the stream's sectors, the FAT sectors,
// the DIFAT sectors beyond the header's 109 FAT entries, and one directory
// sector last.
struct CompoundFileLayout {
  // The stream as the directory records it: at least 4096 bytes, so that it
  // is an ordinary stream and not one of the mini stream.
  uint32_t stream_size = 0;
  uint32_t stream_sectors = 0;
  uint32_t fat_sectors = 0;
  uint32_t difat_sectors = 0;
  uint32_t directory_sector = 0;

  uint32_t total_sectors() const { return directory_sector + 1; }
};

// Plans a compound file for a stream of the given size; nullopt when it is
// too large for a version 3 file (4 GiB).
std::optional<CompoundFileLayout> PlanCompoundFile(uint64_t stream_size);

// Writes a compound file with one stream, named stream_name (ASCII, at most
// 31 characters), below the root, through an AtomicFile. The stream's bytes
// are given with Write after the constructor has written the header, then
// Finish writes the tables. Small streams are padded with zeros up to the
// size the layout gives.
class CompoundFileWriter final : public ByteSink {
 public:
  CompoundFileWriter(AtomicFile& file, const CompoundFileLayout& layout, std::string stream_name);

  // False when the stream did not get exactly the planned bytes.
  [[nodiscard]] bool Finish(uint64_t content_size);

 protected:
  void Put(const void* data, size_t size) override;

 private:
  void WriteHeader();
  void WriteSectorEntries(const uint32_t* entries, size_t count);

  AtomicFile& file_;
  CompoundFileLayout layout_;
  std::string stream_name_;
};

}  // namespace varnelo
