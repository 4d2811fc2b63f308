#include "export/compound_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "export/atomic_file.h"

namespace varnelo {
namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kEntriesPerSector = kSectorSize / 4;
constexpr uint32_t kHeaderFatEntries = 109;
constexpr uint32_t kMiniStreamCutoff = 4096;

constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
// The highest regular sector number.
constexpr uint32_t kMaxSector = 0xFFFFFFFA;

void Put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}
void Put32(uint8_t* at, uint32_t value) {
  Put16(at, static_cast<uint16_t>(value));
  Put16(at + 2, static_cast<uint16_t>(value >> 16));
}

uint32_t DifatSectorsFor(uint64_t fat_sectors) {
  if (fat_sectors <= kHeaderFatEntries) return 0;
  // Each DIFAT sector holds 127 FAT sector numbers and the next DIFAT sector.
  return static_cast<uint32_t>((fat_sectors - kHeaderFatEntries + kEntriesPerSector - 2) /
                               (kEntriesPerSector - 1));
}

// A directory entry: UTF-16 name, type, colour (black), no siblings.
void PutDirectoryEntry(uint8_t* entry, const std::string& name, uint8_t type, uint32_t child,
                       uint32_t start, uint32_t size) {
  for (size_t i = 0; i < name.size(); ++i) Put16(entry + 2 * i, static_cast<uint8_t>(name[i]));
  Put16(entry + 64, static_cast<uint16_t>((name.size() + 1) * 2));
  entry[66] = type;
  entry[67] = 1;
  Put32(entry + 68, kNoStream);
  Put32(entry + 72, kNoStream);
  Put32(entry + 76, child);
  Put32(entry + 116, start);
  Put32(entry + 120, size);
}

}  // namespace

std::optional<CompoundFileLayout> PlanCompoundFile(uint64_t stream_size) {
  const uint64_t size = std::max<uint64_t>(stream_size, kMiniStreamCutoff);
  if (size > UINT32_MAX) return std::nullopt;
  const uint64_t stream_sectors = (size + kSectorSize - 1) / kSectorSize;
  // The FAT has to cover its own sectors and the DIFAT's too: grow both
  // until they cover everything.
  uint64_t fat = 1;
  for (;;) {
    uint64_t difat = DifatSectorsFor(fat);
    uint64_t all = stream_sectors + fat + difat + 1;
    uint64_t needed = (all + kEntriesPerSector - 1) / kEntriesPerSector;
    if (needed <= fat) break;
    fat = needed;
  }
  const uint64_t difat = DifatSectorsFor(fat);
  const uint64_t directory = stream_sectors + fat + difat;
  if (directory > kMaxSector) return std::nullopt;
  CompoundFileLayout layout;
  layout.stream_size = static_cast<uint32_t>(size);
  layout.stream_sectors = static_cast<uint32_t>(stream_sectors);
  layout.fat_sectors = static_cast<uint32_t>(fat);
  layout.difat_sectors = static_cast<uint32_t>(difat);
  layout.directory_sector = static_cast<uint32_t>(directory);
  return layout;
}

CompoundFileWriter::CompoundFileWriter(AtomicFile& file, const CompoundFileLayout& layout,
                                       std::string stream_name)
    : file_(file), layout_(layout), stream_name_(std::move(stream_name)) {
  WriteHeader();
}

void CompoundFileWriter::Put(const void* data, size_t size) { file_.Write(data, size); }

void CompoundFileWriter::WriteHeader() {
  std::array<uint8_t, kSectorSize> header{};
  static const uint8_t kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(header.data(), kSignature, sizeof kSignature);
  Put16(&header[24], 0x003E);  // minor version
  Put16(&header[26], 0x0003);  // major version 3: 512-byte sectors
  Put16(&header[28], 0xFFFE);  // little-endian
  Put16(&header[30], 9);       // 2^9-byte sectors
  Put16(&header[32], 6);       // 2^6-byte mini sectors
  Put32(&header[44], layout_.fat_sectors);
  Put32(&header[48], layout_.directory_sector);
  Put32(&header[56], kMiniStreamCutoff);
  Put32(&header[60], kEndOfChain);  // no mini FAT
  const uint32_t first_fat = layout_.stream_sectors;
  const uint32_t first_difat = first_fat + layout_.fat_sectors;
  Put32(&header[68], layout_.difat_sectors > 0 ? first_difat : kEndOfChain);
  Put32(&header[72], layout_.difat_sectors);
  for (uint32_t i = 0; i < kHeaderFatEntries; ++i) {
    Put32(&header[76 + 4 * i], i < layout_.fat_sectors ? first_fat + i : kFreeSector);
  }
  file_.Write(header.data(), header.size());
}

void CompoundFileWriter::WriteSectorEntries(const uint32_t* entries, size_t count) {
  std::array<uint8_t, kSectorSize> bytes;
  for (size_t i = 0; i < count; ++i) Put32(&bytes[4 * i], entries[i]);
  file_.Write(bytes.data(), count * 4);
}

bool CompoundFileWriter::Finish(uint64_t content_size) {
  if (content_size != position()) return false;
  if (position() > layout_.stream_size) return false;
  // Pad the stream to its recorded size, then to a whole sector.
  const uint64_t padded = uint64_t{layout_.stream_sectors} * kSectorSize;
  std::vector<uint8_t> zeros(kSectorSize, 0);
  uint64_t left = padded - position();
  while (left > 0) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, zeros.size()));
    file_.Write(zeros.data(), n);
    left -= n;
  }

  const uint32_t first_fat = layout_.stream_sectors;
  const uint32_t first_difat = first_fat + layout_.fat_sectors;
  // FAT: the stream's chain, the FAT and DIFAT sectors marked as such, the
  // directory's one-sector chain, free entries to the end.
  uint32_t entries[kEntriesPerSector];
  uint32_t sector = 0;
  const uint32_t fat_entries = layout_.fat_sectors * kEntriesPerSector;
  while (sector < fat_entries) {
    for (uint32_t i = 0; i < kEntriesPerSector; ++i, ++sector) {
      uint32_t value = kFreeSector;
      if (sector + 1 < layout_.stream_sectors) {
        value = sector + 1;
      } else if (sector + 1 == layout_.stream_sectors) {
        value = kEndOfChain;
      } else if (sector < first_difat) {
        value = kFatSector;
      } else if (sector < layout_.directory_sector) {
        value = kDifatSector;
      } else if (sector == layout_.directory_sector) {
        value = kEndOfChain;
      }
      entries[i] = value;
    }
    WriteSectorEntries(entries, kEntriesPerSector);
  }

  // DIFAT sectors: the FAT sector numbers past the header's 109, 127 each,
  // chained through their last entry.
  uint32_t fat_index = kHeaderFatEntries;
  for (uint32_t d = 0; d < layout_.difat_sectors; ++d) {
    for (uint32_t i = 0; i + 1 < kEntriesPerSector; ++i, ++fat_index) {
      entries[i] = fat_index < layout_.fat_sectors ? first_fat + fat_index : kFreeSector;
    }
    entries[kEntriesPerSector - 1] =
        d + 1 < layout_.difat_sectors ? first_difat + d + 1 : kEndOfChain;
    WriteSectorEntries(entries, kEntriesPerSector);
  }

  // Directory: the root (no mini stream) with the one stream as its child,
  // then unused entries.
  std::array<uint8_t, kSectorSize> directory{};
  PutDirectoryEntry(&directory[0], "Root Entry", 5, 1, kEndOfChain, 0);
  PutDirectoryEntry(&directory[128], stream_name_, 2, kNoStream, 0, layout_.stream_size);
  for (size_t e = 2; e < 4; ++e) {
    Put32(&directory[128 * e + 68], kNoStream);
    Put32(&directory[128 * e + 72], kNoStream);
    Put32(&directory[128 * e + 76], kNoStream);
  }
  file_.Write(directory.data(), directory.size());
  return true;
}

}  // namespace varnelo
