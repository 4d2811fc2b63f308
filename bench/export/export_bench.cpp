// Seconds and peak memory of each export for 100,000 and 1,000,000 rows.
//
// Each case runs in a child process forked from the benchmark, which has
// already built the rows: the child's resident size at the start is the rows
// (and the program), its peak resident size (getrusage ru_maxrss) at the end
// includes everything the export needed on top. Running in a fresh child
// keeps one case's freed-but-kept heap from hiding the next one's needs.
// Reported per case: start_MB (resident at the start: the program and every
// row list built so far), peak_MB, extra_MB = peak_MB - start_MB (what the
// export itself needed) and file_MB. The
// time is the child's wall time for the export call alone, fsync included;
// the file goes to the temporary folder (TMPDIR) and is removed afterwards.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "export/spreadsheet_export.h"
#include "export/text_export.h"
#include "text/code_page.h"

namespace varnelo {
namespace {

// Rows that look like a collection run's: distinct names, telephones and
// addresses, a handful of areas.
const std::vector<ResultRow>& RowsOf(size_t count) {
  static std::map<size_t, std::vector<ResultRow>> cache;
  std::vector<ResultRow>& rows = cache[count];
  if (rows.size() == count) return rows;
  const std::string areas[] = {Utf8ToGbk("蜀山区"), Utf8ToGbk("包河区"), Utf8ToGbk("庐阳区"),
                               Utf8ToGbk("瑶海区"), Utf8ToGbk("肥西县")};
  const std::string shop = Utf8ToGbk("华润万家超市（");
  const std::string branch = Utf8ToGbk("店）");
  const std::string street = Utf8ToGbk("安徽省合肥市长江西路");
  const std::string number = Utf8ToGbk("号");
  const std::string comma = Utf8ToGbk("，");
  rows.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const std::string n = std::to_string(i + 1);
    std::string telephone = i % 4 == 0 ? "0551-6" + std::to_string(1000000 + i % 9000000)
                                       : std::to_string(13800000000ULL + i * 7);
    rows.push_back({n, shop + n + branch, telephone, street + std::to_string(i % 2000) + number,
                    areas[i % 5], "117." + std::to_string(i % 100000) + comma + "31." + n});
  }
  return rows;
}

long ResidentKilobytes() {
  long pages_total = 0, pages_resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  if (std::fscanf(statm, "%ld %ld", &pages_total, &pages_resident) != 2) pages_resident = -1;
  std::fclose(statm);
  return pages_resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct Measurement {
  int ok = 0;
  double seconds = 0;
  long start_kb = 0;
  long peak_kb = 0;
  long long file_bytes = 0;
};

enum Kind { kText, kTelephones, kContacts, kXls, kXlsx };

ExportResult Run(Kind kind, const std::vector<ResultRow>& rows, const std::filesystem::path& path) {
  switch (kind) {
    case kText:
      return ExportText(rows, path);
    case kTelephones:
      return ExportTelephones(rows, path);
    case kContacts:
      return ExportContactCards(rows, path);
    case kXls:
      return ExportXls(rows, path);
    case kXlsx:
      break;
  }
  return ExportXlsx(rows, path);
}

Measurement MeasureInChild(Kind kind, const std::vector<ResultRow>& rows,
                           const std::filesystem::path& path) {
  Measurement result;
  int channel[2];
  if (pipe(channel) != 0) return result;
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    Measurement m;
    m.start_kb = ResidentKilobytes();
    auto begin = std::chrono::steady_clock::now();
    ExportResult exported = Run(kind, rows, path);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    m.peak_kb = usage.ru_maxrss;
    m.ok = exported.ok() ? 1 : 0;
    if (!exported.ok()) std::fprintf(stderr, "export failed: %s\n", exported.reason.c_str());
    std::error_code ec;
    m.file_bytes = static_cast<long long>(std::filesystem::file_size(path, ec));
    if (write(channel[1], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) _exit(2);
    _exit(0);
  }
  close(channel[1]);
  if (child > 0) {
    if (read(channel[0], &result, sizeof result) != static_cast<ssize_t>(sizeof result))
      result.ok = 0;
    int status = 0;
    waitpid(child, &status, 0);
  }
  close(channel[0]);
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return result;
}

void BM_Export(benchmark::State& state, Kind kind, const char* file_name) {
  const std::vector<ResultRow>& rows = RowsOf(static_cast<size_t>(state.range(0)));
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / (std::to_string(getpid()) + "-" + file_name);
  Measurement m;
  for (auto _ : state) {
    m = MeasureInChild(kind, rows, path);
    if (!m.ok) {
      state.SkipWithError("the export failed");
      break;
    }
    state.SetIterationTime(m.seconds);
  }
  state.counters["start_MB"] = static_cast<double>(m.start_kb) / 1024;
  state.counters["peak_MB"] = static_cast<double>(m.peak_kb) / 1024;
  state.counters["extra_MB"] = static_cast<double>(m.peak_kb - m.start_kb) / 1024;
  state.counters["file_MB"] = static_cast<double>(m.file_bytes) / (1024 * 1024);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Register() {
  const struct {
    const char* name;
    Kind kind;
    const char* file;
  } cases[] = {{"text", kText, "bench.txt"},
               {"telephones", kTelephones, "bench-phones.txt"},
               {"contacts", kContacts, "bench.vcf"},
               {"xls", kXls, "bench.xls"},
               {"xlsx", kXlsx, "bench.xlsx"}};
  for (const auto& c : cases) {
    benchmark::RegisterBenchmark(("BM_Export/" + std::string(c.name)).c_str(), BM_Export, c.kind,
                                 c.file)
        ->Arg(100000)
        ->Arg(1000000)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace
}  // namespace varnelo

int main(int argc, char** argv) {
  varnelo::Register();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
