// Rows a run appends per second through the bridge into the results list of a
// shown main window, while the window thread keeps serving its events, and the
// longest the window thread went without serving them.
//
// A stand-in run does per record what the collection run does to its window
// ("as the run"): read the landline and duplicate check boxes, append the row,
// write the count text; or only appends rows ("rows only"), the bridge's
// ceiling. A 1 ms heartbeat timer on the window thread measures the stall: the
// longest gap between two of its ticks while the run goes.
//
//   app_bench --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <string>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/result_model.h"
#include "collect/run_window.h"

namespace {

using varnelo::ResultRow;
using varnelo::RunEnd;
using varnelo::RunWindow;

class NoDialogs final : public varnelo::Dialogs {
 public:
  varnelo::DialogCloser Inform(const QString&, const QString&, varnelo::BoxIcon,
                               std::function<void()> done) override {
    if (done) done();
    return {};
  }
  varnelo::DialogCloser AskYesNo(const QString&, const QString&,
                                 std::function<void(bool)> answered) override {
    if (answered) answered(false);
    return {};
  }
  void OpenUrl(const QUrl&) override {}
  std::optional<QString> AskSavePath(const varnelo::SaveDialogOptions&) override {
    return std::nullopt;
  }
};

// A row the size of a real one: a GBK shop name, address and area.
ResultRow MakeRow(int number) {
  const std::string name =
      "\xBA\xC3\xD3\xD6\xB6\xE0\xB3\xAC\xCA\xD0(" + std::to_string(number) + ")";
  return {std::to_string(number),
          name,
          std::to_string(13800000000LL + number),
          "\xB9\xE3\xD6\xDD\xCA\xD0\xCC\xEC\xBA\xD3\xC7\xF8\xCC\xEC\xBA\xD3\xC2\xB7"
          "208\xBA\xC5",
          "\xB9\xE3\xD6\xDD\xCA\xD0\xCC\xEC\xBA\xD3\xC7\xF8",
          "12613745.21\xA3\xAC"
          "2631120.47"};
}

void RowsThroughBridge(benchmark::State& state, bool asTheRun) {
  const int rows = static_cast<int>(state.range(0));
  NoDialogs dialogs;
  double worstStallMs = 0;
  double seconds = 0;

  for (auto _ : state) {
    const varnelo::RunFunction run = [rows, asTheRun](RunWindow& window, std::stop_token stop) {
      for (int number = 1; number <= rows && !stop.stop_requested(); ++number) {
        if (asTheRun) {
          window.LandlineFilter();
          window.DuplicateFilter();
        }
        window.AppendRow(MakeRow(number));
        if (asTheRun) window.ShowCount(std::to_string(number + 1) + "\xCC\xF5\xD0\xC5\xCF\xA2");
      }
      return RunEnd::kFinished;
    };
    auto* window = new varnelo::MainWindow({run, run}, dialogs);
    window->show();
    QApplication::processEvents();

    QEventLoop loop;
    QObject::connect(&window->runs(), &varnelo::RunController::RunEnded, &loop, &QEventLoop::quit);
    QElapsedTimer sinceTick;
    qint64 longestGapNs = 0;
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
      longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
      sinceTick.restart();
    });

    const auto begin = std::chrono::steady_clock::now();
    heartbeat.start();
    sinceTick.start();
    window->runs().Start(run);
    loop.exec();
    longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
    const auto end = std::chrono::steady_clock::now();
    heartbeat.stop();

    if (window->results().rowCount() != rows) state.SkipWithError("rows were lost");
    const double iterationSeconds = std::chrono::duration<double>(end - begin).count();
    state.SetIterationTime(iterationSeconds);
    seconds += iterationSeconds;
    worstStallMs = std::max(worstStallMs, static_cast<double>(longestGapNs) / 1e6);
    delete window;
  }
  state.counters["rows_per_s"] =
      static_cast<double>(rows) * static_cast<double>(state.iterations()) / seconds;
  state.counters["max_stall_ms"] = worstStallMs;
}

void AsTheRun(benchmark::State& state) { RowsThroughBridge(state, true); }
void RowsOnly(benchmark::State& state) { RowsThroughBridge(state, false); }

BENCHMARK(AsTheRun)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(200000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(RowsOnly)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(200000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
