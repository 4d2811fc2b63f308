#include "export/xls_workbook_stream.h"

#include <algorithm>
#include <string>

#include "export/biff_record.h"

namespace varnelo {
namespace {

enum RecordType : uint16_t {
  kBof = 0x0809,
  kEof = 0x000A,
  kInterfaceHdr = 0x00E1,
  kMms = 0x00C1,
  kInterfaceEnd = 0x00E2,
  kWriteAccess = 0x005C,
  kCodePage = 0x0042,
  kDsf = 0x0161,
  kTabId = 0x013D,
  kWindowProtect = 0x0019,
  kProtect = 0x0012,
  kPassword = 0x0013,
  kProt4Rev = 0x01AF,
  kProt4RevPass = 0x01BC,
  kWindow1 = 0x003D,
  kBackup = 0x0040,
  kHideObj = 0x008D,
  kDateMode = 0x0022,
  kPrecision = 0x000E,
  kRefreshAll = 0x01B7,
  kBookBool = 0x00DA,
  kFont = 0x0031,
  kFormat = 0x041E,
  kXf = 0x00E0,
  kStyle = 0x0293,
  kUsesElfs = 0x0160,
  kBoundSheet = 0x0085,
  kCountry = 0x008C,
  kSst = 0x00FC,
  kContinue = 0x003C,
  kExtSst = 0x00FF,
  kIndex = 0x020B,
  kCalcMode = 0x000D,
  kCalcCount = 0x000C,
  kRefMode = 0x000F,
  kIteration = 0x0011,
  kDelta = 0x0010,
  kSaveRecalc = 0x005F,
  kPrintHeaders = 0x002A,
  kPrintGridLines = 0x002B,
  kGridSet = 0x0082,
  kGuts = 0x0080,
  kDefaultRowHeight = 0x0225,
  kWsBool = 0x0081,
  kHeader = 0x0014,
  kFooter = 0x0015,
  kHCenter = 0x0083,
  kVCenter = 0x0084,
  kSetup = 0x00A1,
  kDefColWidth = 0x0055,
  kDimensions = 0x0200,
  kRow = 0x0208,
  kLabelSst = 0x00FD,
  kBlank = 0x0201,
  kDbCell = 0x00D7,
  kWindow2 = 0x023E,
};

constexpr uint16_t kBiff8 = 0x0600;
constexpr uint16_t kUtf16CodePage = 1200;
// The built-in number format "@": the cell's content is text.
constexpr uint16_t kTextFormat = 49;
// XFs 0-14 are the style XFs every workbook has, 15 the default cell XF; the
// one cell XF of our own comes after them.
constexpr uint16_t kTextXf = 16;
// 11-point rows: the height of the default font's row.
constexpr uint16_t kRowHeight = 270;
constexpr size_t kRowsPerBlock = 32;
constexpr size_t kRowRecordSize = 4 + 16;

void Record(ByteSink& sink, uint16_t type, const BiffBody& body) {
  WriteBiffRecord(sink, type, body);
}
void Record16(ByteSink& sink, uint16_t type, uint16_t value) {
  Record(sink, type, BiffBody().U16(value));
}

void WriteBof(ByteSink& sink, uint16_t substream) {
  // Build and year of the writing application, file history flags and the
  // lowest version that can read the file (BIFF8).
  Record(sink, kBof,
         BiffBody().U16(kBiff8).U16(substream).U16(0x10D3).U16(0x07CC).U32(0x41).U32(6));
}

void WriteFonts(ByteSink& sink) {
  // The default font of a new workbook of the Chinese spreadsheet
  // application: 11-point SimSun. Excel expects four fonts before the first
  // one a user adds.
  static const uint8_t kName[] = {0x8B, 0x5B, 0x53, 0x4F};  // "宋体" in UTF-16LE
  for (int i = 0; i < 4; ++i) {
    BiffBody font;
    font.U16(220).U16(0).U16(0x7FFF).U16(400).U16(0);  // height, flags, colour, weight, script
    font.U8(0).U8(0).U8(0x86).U8(0);                   // underline, family, GB2312 charset
    font.U8(2).U8(1).Raw(kName, sizeof kName);
    Record(sink, kFont, font);
  }
}

void WriteFormats(ByteSink& sink) {
  // The currency and accounting formats the application always stores, in
  // their Chinese form, then the text format our cells use.
  static const struct {
    uint16_t index;
    const char* code;  // Latin-1
  } kFormats[] = {
      {5, "\"\xA5\"#,##0;\"\xA5\"\\-#,##0"},
      {6, "\"\xA5\"#,##0;[Red]\"\xA5\"\\-#,##0"},
      {7, "\"\xA5\"#,##0.00;\"\xA5\"\\-#,##0.00"},
      {8, "\"\xA5\"#,##0.00;[Red]\"\xA5\"\\-#,##0.00"},
      {42, "_ \"\xA5\"* #,##0_ ;_ \"\xA5\"* \\-#,##0_ ;_ \"\xA5\"* \"-\"_ ;_ @_ "},
      {41, "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ "},
      {44, "_ \"\xA5\"* #,##0.00_ ;_ \"\xA5\"* \\-#,##0.00_ ;_ \"\xA5\"* \"-\"??_ ;_ @_ "},
      {43, "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ "},
      {kTextFormat, "@"},
  };
  for (const auto& format : kFormats) {
    Record(sink, kFormat, BiffBody().U16(format.index).Latin1String(format.code, true));
  }
}

void WriteXf(ByteSink& sink, uint16_t font, uint16_t format, uint16_t type_and_parent,
             uint8_t used_attributes) {
  BiffBody xf;
  xf.U16(font).U16(format).U16(type_and_parent);
  xf.U8(0x20).U8(0).U8(0).U8(used_attributes);  // bottom-aligned, no rotation or indent
  xf.U32(0).U32(0).U16(0x20C0);                 // no borders, automatic pattern colours
  Record(sink, kXf, xf);
}

void WriteXfs(ByteSink& sink) {
  constexpr uint16_t kStyleXf = 0xFFF5;  // locked style XF without a parent
  constexpr uint16_t kCellXf = 0x0001;   // locked cell XF of the Normal style
  WriteXf(sink, 0, 0, kStyleXf, 0x00);
  for (uint16_t i = 1; i < 15; ++i) {
    uint16_t font = i <= 2 ? 1 : i <= 4 ? 2 : 0;
    WriteXf(sink, font, 0, kStyleXf, 0xF4);
  }
  WriteXf(sink, 0, 0, kCellXf, 0x00);
  // The text cell: its own number format, everything else from Normal.
  WriteXf(sink, 0, kTextFormat, kCellXf, 0x04);
}

std::string SheetName(size_t index) { return "Sheet" + std::to_string(index + 1); }

uint32_t PlannedAt(const std::vector<uint32_t>& positions, size_t index) {
  return index < positions.size() ? positions[index] : 0;
}

void WriteSharedStrings(ByteSink& sink, const XlsWorkbookContent& content) {
  const uint32_t unique = content.unique_strings;
  // Excel keeps at most 128 buckets of at least 8 strings each.
  const uint32_t per_bucket = std::max<uint32_t>(8, (unique + 127) / 128);
  struct Bucket {
    uint32_t position;
    uint16_t in_record;
  };
  std::vector<Bucket> buckets;

  BiffBody record;
  uint16_t type = kSst;
  record.U32(content.string_cells).U32(unique);
  auto flush = [&] {
    Record(sink, type, record);
    record.clear();
    type = kContinue;
  };

  const uint8_t* next = content.encoded_strings.data();
  for (uint32_t i = 0; i < unique; ++i) {
    const size_t characters = next[0] | (next[1] << 8);
    const bool two_byte = (next[2] & 1) != 0;
    const size_t char_size = two_byte ? 2 : 1;
    // A string's count and flags, and its first character, are never split
    // from each other.
    if (record.size() + 3 + (characters > 0 ? char_size : 0) > kBiffMaxBody) flush();
    if (i % per_bucket == 0) {
      buckets.push_back({static_cast<uint32_t>(sink.position() + 4 + record.size()),
                         static_cast<uint16_t>(4 + record.size())});
    }
    record.Raw(next, 3);
    next += 3;
    size_t left = characters;
    for (;;) {
      size_t fit = std::min(left, (kBiffMaxBody - record.size()) / char_size);
      record.Raw(next, fit * char_size);
      next += fit * char_size;
      left -= fit;
      if (left == 0) break;
      // The rest goes on in a CONTINUE that starts with its own flags byte;
      // a two-byte character is never cut in half.
      flush();
      record.U8(two_byte ? 1 : 0);
    }
  }
  flush();

  BiffBody extsst;
  extsst.U16(static_cast<uint16_t>(per_bucket));
  for (const Bucket& bucket : buckets) extsst.U32(bucket.position).U16(bucket.in_record).U16(0);
  Record(sink, kExtSst, extsst);
}

void WriteGlobals(ByteSink& sink, const XlsWorkbookContent& content,
                  const XlsStreamLayout& planned) {
  WriteBof(sink, 0x0005);
  Record16(sink, kInterfaceHdr, kUtf16CodePage);
  Record16(sink, kMms, 0);
  Record(sink, kInterfaceEnd, BiffBody());
  // No user name: the file does not say who wrote it.
  BiffBody write_access;
  write_access.U16(0).U8(0);
  write_access.Raw(std::string(112 - 3, ' ').data(), 112 - 3);
  Record(sink, kWriteAccess, write_access);
  Record16(sink, kCodePage, kUtf16CodePage);
  Record16(sink, kDsf, 0);
  BiffBody tab_ids;
  for (size_t i = 0; i < content.sheets.size(); ++i) tab_ids.U16(static_cast<uint16_t>(i + 1));
  Record(sink, kTabId, tab_ids);
  Record16(sink, kWindowProtect, 0);
  Record16(sink, kProtect, 0);
  Record16(sink, kPassword, 0);
  Record16(sink, kProt4Rev, 0);
  Record16(sink, kProt4RevPass, 0);
  // Window position and size, visible tabs, first sheet active and selected.
  Record(sink, kWindow1,
         BiffBody()
             .U16(0x0168)
             .U16(0x010E)
             .U16(0x3A5C)
             .U16(0x23BE)
             .U16(0x0038)
             .U16(0)
             .U16(0)
             .U16(1)
             .U16(0x0258));
  Record16(sink, kBackup, 0);
  Record16(sink, kHideObj, 0);
  Record16(sink, kDateMode, 0);
  Record16(sink, kPrecision, 1);
  Record16(sink, kRefreshAll, 0);
  Record16(sink, kBookBool, 0);
  WriteFonts(sink);
  WriteFormats(sink);
  WriteXfs(sink);
  Record(sink, kStyle, BiffBody().U16(0x8000).U8(0).U8(0xFF));  // built-in Normal on XF 0
  Record16(sink, kUsesElfs, 0);
  for (size_t i = 0; i < content.sheets.size(); ++i) {
    uint32_t bof = i < planned.sheets.size() ? planned.sheets[i].bof : 0;
    Record(sink, kBoundSheet, BiffBody().U32(bof).U8(0).U8(0).Latin1String(SheetName(i), false));
  }
  Record(sink, kCountry, BiffBody().U16(86).U16(86));
  WriteSharedStrings(sink, content);
  Record(sink, kEof, BiffBody());
}

void WriteSheetSettings(ByteSink& sink) {
  Record16(sink, kCalcMode, 1);
  Record16(sink, kCalcCount, 100);
  Record16(sink, kRefMode, 1);
  Record16(sink, kIteration, 0);
  Record(sink, kDelta, BiffBody().F64(0.001));
  Record16(sink, kSaveRecalc, 1);
  Record16(sink, kPrintHeaders, 0);
  Record16(sink, kPrintGridLines, 0);
  Record16(sink, kGridSet, 1);
  Record(sink, kGuts, BiffBody().U16(0).U16(0).U16(0).U16(0));
  Record(sink, kDefaultRowHeight, BiffBody().U16(0).U16(kRowHeight));
  Record16(sink, kWsBool, 0x04C1);
  Record(sink, kHeader, BiffBody());
  Record(sink, kFooter, BiffBody());
  Record16(sink, kHCenter, 0);
  Record16(sink, kVCenter, 0);
  // Never printed: the printer settings are marked as not there.
  Record(sink, kSetup,
         BiffBody()
             .U16(9)
             .U16(100)
             .U16(1)
             .U16(1)
             .U16(1)
             .U16(0x0006)
             .U16(0)
             .U16(0)
             .F64(0.3)
             .F64(0.3)
             .U16(1));
}

class SheetWriter {
 public:
  SheetWriter(ByteSink& sink, const XlsWorkbookContent& content, size_t sheet_index)
      : sink_(sink), content_(content), sheet_(content.sheets[sheet_index]) {}

  uint32_t rows() const { return static_cast<uint32_t>(sheet_.count + 1); }

  const uint32_t* StringsOf(size_t sheet_row) const {
    if (sheet_row == 0) return content_.title_strings.data();
    return content_.cell_strings.data() + (sheet_.first + sheet_row - 1) * kSpreadsheetColumns;
  }

  void WriteIndex(const XlsStreamLayout::Sheet& planned) {
    size_t blocks = (rows() + kRowsPerBlock - 1) / kRowsPerBlock;
    BiffBody index;
    index.U32(0).U32(0).U32(rows()).U32(planned.default_column_width);
    for (size_t b = 0; b < blocks; ++b) index.U32(PlannedAt(planned.row_block_ends, b));
    Record(sink_, kIndex, index);
  }

  // Writes one block of ROW records, their cells and the DBCELL that finds
  // them.
  void WriteBlock(size_t begin, size_t end, XlsStreamLayout::Sheet& found) {
    const uint64_t first_row = sink_.position();
    for (size_t r = begin; r < end; ++r) {
      Record(sink_, kRow,
             BiffBody()
                 .U16(static_cast<uint16_t>(r))
                 .U16(0)
                 .U16(kSpreadsheetColumns)
                 .U16(kRowHeight)
                 .U16(0)
                 .U16(0)
                 .U32(0x000F0100));
    }
    uint16_t cell_offsets[kRowsPerBlock];
    uint64_t previous_cells = first_row + kRowRecordSize;  // the second ROW record
    for (size_t r = begin; r < end; ++r) {
      const uint64_t cells = sink_.position();
      cell_offsets[r - begin] = static_cast<uint16_t>(cells - previous_cells);
      previous_cells = cells;
      WriteCells(r);
    }
    const uint64_t dbcell = sink_.position();
    BiffBody body;
    body.U32(static_cast<uint32_t>(dbcell - first_row));
    for (size_t i = 0; i < end - begin; ++i) body.U16(cell_offsets[i]);
    Record(sink_, kDbCell, body);
    found.row_block_ends.push_back(static_cast<uint32_t>(dbcell));
  }

 private:
  void WriteCells(size_t sheet_row) {
    const uint32_t* strings = StringsOf(sheet_row);
    uint8_t bytes[kSpreadsheetColumns * 14];
    size_t size = 0;
    auto put16 = [&](uint16_t value) {
      bytes[size++] = static_cast<uint8_t>(value);
      bytes[size++] = static_cast<uint8_t>(value >> 8);
    };
    for (size_t c = 0; c < kSpreadsheetColumns; ++c) {
      // An empty text still gets the text format, as a blank cell, so that
      // whatever is typed there later stays text too.
      bool blank = strings[c] == XlsWorkbookContent::kEmpty;
      put16(blank ? kBlank : kLabelSst);
      put16(blank ? 6 : 10);
      put16(static_cast<uint16_t>(sheet_row));
      put16(static_cast<uint16_t>(c));
      put16(kTextXf);
      if (!blank) {
        put16(static_cast<uint16_t>(strings[c]));
        put16(static_cast<uint16_t>(strings[c] >> 16));
      }
    }
    sink_.Write(bytes, size);
  }

  ByteSink& sink_;
  const XlsWorkbookContent& content_;
  const SheetRows& sheet_;
};

}  // namespace

bool WriteXlsWorkbookStream(ByteSink& sink, const XlsWorkbookContent& content,
                            const XlsStreamLayout& planned, XlsStreamLayout& found,
                            ProgressReporter* progress, size_t progress_base) {
  found = {};
  WriteGlobals(sink, content, planned);
  for (size_t s = 0; s < content.sheets.size(); ++s) {
    const XlsStreamLayout::Sheet no_plan;
    const XlsStreamLayout::Sheet& plan = s < planned.sheets.size() ? planned.sheets[s] : no_plan;
    XlsStreamLayout::Sheet& where = found.sheets.emplace_back();
    SheetWriter writer(sink, content, s);

    where.bof = static_cast<uint32_t>(sink.position());
    WriteBof(sink, 0x0010);
    writer.WriteIndex(plan);
    WriteSheetSettings(sink);
    where.default_column_width = static_cast<uint32_t>(sink.position());
    Record16(sink, kDefColWidth, 8);
    Record(sink, kDimensions,
           BiffBody().U32(0).U32(writer.rows()).U16(0).U16(kSpreadsheetColumns).U16(0));
    for (size_t begin = 0; begin < writer.rows(); begin += kRowsPerBlock) {
      size_t end = std::min<size_t>(begin + kRowsPerBlock, writer.rows());
      writer.WriteBlock(begin, end, where);
      if (progress != nullptr) {
        size_t list_rows_done = content.sheets[s].first + (end - 1);
        if (!progress->Step(progress_base + list_rows_done)) return false;
      }
    }
    // Grid lines, headings, zeros shown; the first sheet is the selected one.
    uint16_t options = s == 0 ? 0x06B6 : 0x00B6;
    Record(sink, kWindow2,
           BiffBody().U16(options).U16(0).U16(0).U16(0x0040).U16(0).U16(0).U16(0).U32(0));
    Record(sink, kEof, BiffBody());
  }
  found.size = sink.position();
  return true;
}

}  // namespace varnelo
