// The whole program against the loopback fake map platform (HTTPS): the built
// varnelo-collect runs an Amap collection over K keywords of 100 pages with 20
// places each and writes the rows as CSV, the way a user runs it. Beside it, in
// the same round, a plain libcurl loop fetches exactly the URLs the program
// asked for (as the platform recorded them) over one connection and does
// nothing else: the floor for HTTP on this machine.
//
//   direct     30 keywords, 3000 pages straight to the platform
//   delay 15   3 keywords, 300 pages through a proxy that holds every chunk
//              15 ms in each direction; one round trip is then 30 ms
//
// Counters: pages per second and milliseconds per page of both, the program's
// time as a ratio to curl's, and how many connections the platform saw from
// each (1 means every page after the first cost one round trip).
#include <curl/curl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/cli/delay_proxy.h"
#include "tests/cli/child_process.h"
#include "tests/support/fake_map_platform.h"

namespace varnelo {
namespace {

using Clock = std::chrono::steady_clock;
using test::FakeMapPlatform;
using test::FakePlace;
using test::MapPlatform;
using test::PageKey;

constexpr int kPagesPerKeyword = 100;
constexpr int kPlacesPerPage = 20;
constexpr int kMostKeywords = 30;
const std::string kCityCode = "440100";
// A run that takes longer than this is taken to hang, and killed.
constexpr std::chrono::seconds kRunDeadline{300};

std::string Keyword(int index) { return "火锅" + std::to_string(10 + index); }

std::string Page(int keyword, int page) {
  std::vector<FakePlace> places;
  for (int i = 0; i < kPlacesPerPage; ++i) {
    const std::string n = std::to_string((keyword * kPagesPerKeyword + page) * 100 + i);
    places.push_back(
        FakePlace{.name = "老城火锅" + n + "号店",
                  .telephone = "139" + std::to_string(10000000 + (keyword * 10000 + page * 20 + i)),
                  .address = "越秀区中山五路" + n + "号",
                  .area = "广州市",
                  .x = "113.2644" + n,
                  .y = "23.1291" + n});
  }
  return test::AmapAnswer(places);
}

// One platform for the program, every page of every keyword answered.
FakeMapPlatform& Platform() {
  static FakeMapPlatform* platform = [] {
    auto* made = new FakeMapPlatform();
    for (int k = 0; k < kMostKeywords; ++k) {
      for (int page = 1; page <= kPagesPerKeyword; ++page) {
        made->SetAnswer(PageKey{MapPlatform::kAmap, kCityCode, Keyword(k), page}, Page(k, page));
      }
    }
    return made;
  }();
  return *platform;
}

std::filesystem::path WorkFolder() {
  static const std::filesystem::path folder = [] {
    auto made =
        std::filesystem::temp_directory_path() / ("varnelo-e2e-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(made);
    return made;
  }();
  return folder;
}

std::string CollectBinary() {
  if (const char* given = std::getenv("VARNELO_COLLECT")) return given;
  return VARNELO_COLLECT_BINARY;
}

size_t Connections(const std::vector<test::RecordedRequest>& requests) {
  std::set<int> ports;
  for (const auto& request : requests) ports.insert(request.remotePort);
  return ports.size();
}

size_t CountLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  size_t lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

// Runs the program to its end; kills it when it overruns the deadline.
int RunToEnd(const std::vector<std::string>& args) {
  test::ChildProcess child(CollectBinary(), args);
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    if (!ended.wait_for(lock, kRunDeadline, [&] { return done; })) child.Signal(SIGKILL);
  });
  const int status = child.Wait();
  {
    std::lock_guard lock(mutex);
    done = true;
  }
  ended.notify_all();
  watchdog.join();
  return status;
}

size_t KeepBody(char* data, size_t size, size_t count, void* sink) {
  static_cast<std::string*>(sink)->append(data, size * count);
  return size * count;
}

// Fetches every target over one easy handle (so one connection); false when a
// page did not come back whole.
bool CurlFetchAll(const std::string& host, const std::vector<std::string>& targets) {
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), curl_easy_cleanup);
  if (!easy) return false;
  std::string body;
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER,
                   0L);  // the platform's certificate is self-signed
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(handle, CURLOPT_PROXY, "");  // never an environment proxy
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, 30L);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, KeepBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  for (const std::string& target : targets) {
    body.clear();
    const std::string url = "https://" + host + target;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    long status = 0;
    if (curl_easy_perform(handle) != CURLE_OK ||
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status != 200 ||
        body.empty()) {
      return false;
    }
    benchmark::DoNotOptimize(body);
  }
  return true;
}

struct Total {
  double seconds = 0;
  size_t pages = 0;
  size_t connections = 0;

  void Add(double s, const std::vector<test::RecordedRequest>& requests) {
    seconds += s;
    pages += requests.size();
    connections = std::max(connections, Connections(requests));
  }
  double MsPerPage() const { return 1000.0 * seconds / static_cast<double>(pages); }
  double PagesPerSecond() const { return static_cast<double>(pages) / seconds; }
};

void EndToEnd(benchmark::State& state) {
  const int keywords = static_cast<int>(state.range(0));
  const auto delay = std::chrono::milliseconds(state.range(1));
  FakeMapPlatform& platform = Platform();
  std::unique_ptr<bench::DelayProxy> proxy;
  std::string host = platform.host();
  if (delay.count() > 0) {
    proxy = std::make_unique<bench::DelayProxy>("127.0.0.1", platform.port(), delay);
    host = proxy->host();
  }

  const std::filesystem::path keywordFile = WorkFolder() / "keywords.txt";
  {
    std::ofstream out(keywordFile, std::ios::binary);
    for (int k = 0; k < keywords; ++k) out << Keyword(k) << '\n';
  }
  const std::filesystem::path output = WorkFolder() / "rows.csv";
  const std::vector<std::string> args = {
      "-p", "amap", "-c", "广州|" + kCityCode, "--keywords", keywordFile.string(), "--amap-host",
      host, "-q",   "-o", output.string()};
  const size_t pages = static_cast<size_t>(keywords) * kPagesPerKeyword;

  Total program, curl;
  for (auto _ : state) {
    platform.ClearRequests();
    std::filesystem::remove(output);
    Clock::time_point start = Clock::now();
    const int status = RunToEnd(args);
    const double programSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto asked = platform.Requests();
    if (status != 0 || asked.size() != pages || CountLines(output) != 1 + pages * kPlacesPerPage) {
      state.SkipWithError("the program's run did not end with every page and row");
      return;
    }
    program.Add(programSeconds, asked);

    std::vector<std::string> targets;
    for (const auto& request : asked) targets.push_back(request.target);
    platform.ClearRequests();
    start = Clock::now();
    const bool fetched = CurlFetchAll(host, targets);
    const double curlSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!fetched) {
      state.SkipWithError("curl did not fetch every page");
      return;
    }
    curl.Add(curlSeconds, platform.Requests());
  }
  state.counters["pages"] = static_cast<double>(pages);
  state.counters["program_pages_per_s"] = program.PagesPerSecond();
  state.counters["curl_pages_per_s"] = curl.PagesPerSecond();
  state.counters["program_ms_per_page"] = program.MsPerPage();
  state.counters["curl_ms_per_page"] = curl.MsPerPage();
  state.counters["program_vs_curl"] = program.seconds / curl.seconds;
  state.counters["program_connections"] = static_cast<double>(program.connections);
  state.counters["curl_connections"] = static_cast<double>(curl.connections);
}

// Rounds alternate the program and curl, so a slow spell of the shared
// machine falls on both.
BENCHMARK(EndToEnd)
    ->ArgNames({"keywords", "delay_ms"})
    ->Args({kMostKeywords, 0})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(EndToEnd)
    ->ArgNames({"keywords", "delay_ms"})
    ->Args({3, 15})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace varnelo

int main(int argc, char** argv) {
  curl_global_init(CURL_GLOBAL_ALL);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(varnelo::WorkFolder(), ignored);
  curl_global_cleanup();
  return 0;
}
