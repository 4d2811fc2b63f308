// What the collection run asks of a JsonDocument per answer page: one Parse,
// one Count of the list and six GetText reads for each of its 20 records, on
// realistic Baidu and Amap pages handed over in code page 936 as the web
// request delivers them. items_per_second is pages per second.
#include "json/json_document.h"

#include "text/code_page.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

namespace varnelo {
namespace {

std::string LoadAnswer(const char* name) {
  std::ifstream file(std::string(VARNELO_TEST_DATA) + "/json/" + name, std::ios::binary);
  std::stringstream body;
  body << file.rdbuf();
  return Utf8ToGbk(body.str());
}

struct Platform {
  const char* fixture;
  const char* list;
  const char* prefix;
  const char* fields[6];
};

const Platform kBaidu{
    "baidu_page.json",
    "content",
    "content[",
    {"].tel", "].name", "].addr", "]['area_name']", "]['navi_x']", "]['navi_y']"}};
const Platform kAmap{
    "amap_page.json",
    "data['poi_list']",
    "data['poi_list'][",
    {"].tel", "]['disp_name']", "].address", "].cityname", "].longitude", "].latitude"}};

void ReadPage(benchmark::State& state, const Platform& platform) {
  const std::string answer = LoadAnswer(platform.fixture);
  JsonDocument document;
  size_t fields = 0;
  for (auto _ : state) {
    if (!document.Parse(answer)) {
      state.SkipWithError("the fixture does not parse");
      break;
    }
    int count = document.Count(platform.list);
    for (int i = 0; i < count; ++i) {
      // Paths are joined per record, as the run joins them.
      std::string index = std::to_string(i);
      for (const char* field : platform.fields) {
        std::string text = document.GetText(platform.prefix + index + field);
        fields += text.size();
        benchmark::DoNotOptimize(text);
      }
    }
  }
  benchmark::DoNotOptimize(fields);
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(answer.size()));
  state.counters["page_bytes"] = static_cast<double>(answer.size());
}

// The parts of the cost, to see where the time goes.
void ParseOnly(benchmark::State& state, const Platform& platform) {
  const std::string answer = LoadAnswer(platform.fixture);
  JsonDocument document;
  for (auto _ : state) benchmark::DoNotOptimize(document.Parse(answer));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(answer.size()));
}

void CodePageOnly(benchmark::State& state, const Platform& platform) {
  const std::string answer = LoadAnswer(platform.fixture);
  for (auto _ : state) benchmark::DoNotOptimize(GbkToUtf8(answer));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(answer.size()));
}

BENCHMARK_CAPTURE(ReadPage, baidu, kBaidu);
BENCHMARK_CAPTURE(ReadPage, amap, kAmap);
BENCHMARK_CAPTURE(ParseOnly, baidu, kBaidu);
BENCHMARK_CAPTURE(ParseOnly, amap, kAmap);
BENCHMARK_CAPTURE(CodePageOnly, amap, kAmap);

}  // namespace
}  // namespace varnelo

BENCHMARK_MAIN();
