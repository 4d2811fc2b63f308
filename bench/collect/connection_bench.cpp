// What the run's one reusable connection is worth. A collection run goes over
// one keyword's pages of 20 places each, straight to the loopback fake map
// platform (HTTPS) or through a proxy that holds every chunk 15 ms in each
// direction (optionally charging a TCP handshake too). Each round measures, one after the other on
// the same pages:
//
//   run          CollectAmap itself, with a window that only keeps the rows
//   one_client   the same URLs fetched with WebRequest over one HttpClient
//   new_client   the same URLs fetched with WebRequest and no request object,
//                so every page opens a TCP connection and a TLS session anew
//
// The counters are milliseconds per page over all rounds, the new-connection
// figure as a ratio to the run's, and the connections the platform saw per
// round (1 for the run is the point).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bench/cli/delay_proxy.h"
#include "collect/collection_run.h"
#include "collect/place_search.h"
#include "collect/run_window.h"
#include "tests/support/fake_map_platform.h"
#include "text/code_page.h"
#include "web/http_client.h"
#include "web/web_global.h"

namespace varnelo {
namespace {

using Clock = std::chrono::steady_clock;
using test::FakeMapPlatform;
using test::FakePlace;
using test::MapPlatform;
using test::PageKey;

constexpr int kPages = 100;  // an Amap keyword's full run of pages
const std::string kCityCode = "440100";
const std::string kKeywordUtf8 = "火锅";

// The inputs of one run; the rows are kept and nothing is shown.
class KeepingWindow : public RunWindow {
 public:
  std::string CityText() override { return Utf8ToGbk("广州|" + kCityCode); }
  std::string KeywordText() override { return Utf8ToGbk(kKeywordUtf8); }
  bool LandlineFilter() override { return false; }
  bool DuplicateFilter() override { return false; }
  bool HasTelephone(std::string_view) override { return false; }
  void ShowKeyword(std::string_view) override {}
  void ShowCount(std::string_view) override {}
  void AppendRow(const ResultRow& row) override { rows.push_back(row); }
  void ShowFinished() override {}
  bool AskOpenSliderLink() override { return false; }
  void OpenLink(std::string_view) override {}

  std::vector<ResultRow> rows;
};

std::vector<FakePlace> TwentyPlaces(int page) {
  std::vector<FakePlace> places;
  for (int i = 0; i < 20; ++i) {
    const std::string n = std::to_string(page * 100 + i);
    places.push_back(FakePlace{.name = "老城火锅" + n + "号店",
                               .telephone = "1380013" + std::to_string(1000 + page * 20 + i),
                               .address = "越秀区中山五路" + n + "号",
                               .area = "广州市",
                               .x = "113.2644" + n,
                               .y = "23.1291" + n});
  }
  return places;
}

// One loopback platform for the whole program, every page answered with 20 places.
FakeMapPlatform& Platform() {
  static FakeMapPlatform* platform = [] {
    auto* made = new FakeMapPlatform();
    for (int page = 1; page <= kPages; ++page) {
      made->SetAnswer(PageKey{MapPlatform::kAmap, kCityCode, kKeywordUtf8, page},
                      test::AmapAnswer(TwentyPlaces(page)));
    }
    return made;
  }();
  return *platform;
}

struct Measured {
  double seconds = 0;
  size_t pages = 0;
  size_t connections = 0;
  bool complete = true;
};

size_t Connections(const std::vector<test::RecordedRequest>& requests) {
  std::set<int> ports;
  for (const auto& request : requests) ports.insert(request.remotePort);
  return ports.size();
}

template <typename Work>
Measured Measure(Work work) {
  FakeMapPlatform& platform = Platform();
  platform.ClearRequests();
  const Clock::time_point start = Clock::now();
  const bool complete = work();
  Measured measured;
  measured.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const auto requests = platform.Requests();
  measured.pages = requests.size();
  measured.connections = Connections(requests);
  measured.complete = complete && measured.pages == kPages;
  return measured;
}

// Every page of the keyword, fetched without the run around it.
bool FetchAll(const PlaceSearch& search, HttpClient* client) {
  const std::string keyword = Utf8ToGbk(kKeywordUtf8);
  bool complete = true;
  for (int page = 1; page <= kPages; ++page) {
    const std::string answer = search.SearchAmap(keyword, kCityCode, page, {client, {}});
    complete = complete && !answer.empty();
    benchmark::DoNotOptimize(answer);
  }
  return complete;
}

void ConnectionPerRun(benchmark::State& state) {
  const auto delay = std::chrono::milliseconds(state.range(0));
  const bool tcpHandshake = state.range(1) != 0;
  FakeMapPlatform& platform = Platform();
  std::unique_ptr<bench::DelayProxy> proxy;
  PlaceSearchHosts hosts;
  hosts.amap = platform.host();
  if (delay.count() > 0) {
    proxy =
        std::make_unique<bench::DelayProxy>("127.0.0.1", platform.port(), delay, 0, tcpHandshake);
    hosts.amap = proxy->host();
  }
  const PlaceSearch search(hosts);

  Measured run, oneClient, newClient;
  const auto add = [](Measured& total, const Measured& one) {
    total.seconds += one.seconds;
    total.pages += one.pages;
    total.connections = std::max(total.connections, one.connections);
    total.complete = total.complete && one.complete;
  };
  for (auto _ : state) {
    add(run, Measure([&] {
          KeepingWindow window;
          const RunEnd end = CollectAmap(window, search);
          return end == RunEnd::kFinished && window.rows.size() == size_t{kPages} * 20;
        }));
    add(oneClient, Measure([&] {
          HttpClient client;
          return FetchAll(search, &client);
        }));
    add(newClient, Measure([&] { return FetchAll(search, nullptr); }));
  }
  if (!run.complete || !oneClient.complete || !newClient.complete) {
    state.SkipWithError("a page went missing");
    return;
  }
  const auto msPerPage = [](const Measured& m) { return 1000.0 * m.seconds / m.pages; };
  state.counters["run_ms_per_page"] = msPerPage(run);
  state.counters["one_client_ms_per_page"] = msPerPage(oneClient);
  state.counters["new_client_ms_per_page"] = msPerPage(newClient);
  state.counters["new_vs_run"] = msPerPage(newClient) / msPerPage(run);
  state.counters["run_connections"] = static_cast<double>(run.connections);
  state.counters["new_client_connections"] = static_cast<double>(newClient.connections);
}

// Straight to the platform, then through the 15 ms proxy, then through it with
// the TCP handshake's round trip charged as a real link would (a loopback
// connect() costs nothing). Three rounds each, all three variants in every
// round, so a slow spell of the shared machine falls on all of them alike.
BENCHMARK(ConnectionPerRun)
    ->ArgNames({"delay_ms", "tcp_handshake"})
    ->Args({0, 0})
    ->Args({15, 0})
    ->Args({15, 1})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace varnelo

int main(int argc, char** argv) {
  const varnelo::WebGlobal web;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
