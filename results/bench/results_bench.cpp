// Figures only: reading 10,000 reports of a full-map model (every note and controller key,
// 2 x 2176 entries, every note with an LED). The reports are written by the station's own
// report writer, each unit failing controls of its own, so no two files are alike.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/model_check.h"
#include "config/settings.h"
#include "config/settings_schema.h"
#include "report/report.h"
#include "report/results.h"
#include "results/tally.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = fs::temp_directory_path() / "velk-results-bench";

std::string writeFullModel() {
  fs::create_directories(kRoot);
  std::ofstream ini(kRoot / "Full.ini", std::ios::binary);
  for (const char* section : {kNotesSection, kControllersSection}) {
    ini << "[" << section << "]\r\n";
    for (int index = 0; index < kControlCount; ++index) {
      ini << controlKey(index) << "=" << numberOfIndex(index) * 7 << ","
          << channelOfIndex(index) * 23 << ",7,23" << (section[0] == 'n' ? ",1" : "") << "\r\n";
    }
  }
  return (kRoot / "Full.ini").string();
}

// Every control passed but the one at failed (none when failed is negative).
void fill(ResultTable& table, int failed) {
  for (int i = 0; i < kControlCount; ++i) {
    table.entry[i] = static_cast<int16_t>(i == failed ? 0 : 1);
  }
}

// count reports; one in listedEvery lists every control (one failed), the rest passed whole.
std::vector<std::string> writeReports(const std::string& folder, int count, int listedEvery) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::vector<std::string> files;
  for (int unit = 0; unit < count; ++unit) {
    const bool listed = unit % listedEvery == 0;
    fill(noteResults, listed ? unit % kControlCount : -1);
    fill(controllerResults, listed ? (unit / kControlCount) % kControlCount : -1);
    fill(receiveResults, listed ? (unit * 13) % kControlCount : -1);  // the pair above is unique
    files.push_back(folder + "/unit" + std::to_string(unit) + ".txt");
    std::ofstream(files.back(), std::ios::binary) << composeReport(nullptr);
  }
  return files;
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

ResultsModel& fullModel() {
  static ResultsModel model = [] {
    ResultsModel loaded;
    std::string why;
    loadResultsModel(ModelRequest{writeFullModel(), "", kRoot.string()}, loaded, why);
    return loaded;
  }();
  return model;
}

// range(0): reports; range(1): one in how many lists every control (1: all of them);
// range(2): 1 keeps each unit's record (for --json and --html), 0 counts only.
void BM_ReadReports(benchmark::State& state) {
  const ResultsModel& model = fullModel();
  const int count = static_cast<int>(state.range(0));
  const std::vector<std::string> files =
      writeReports((kRoot / "reports").string(), count, static_cast<int>(state.range(1)));
  uintmax_t bytes = 0;
  for (const std::string& file : files) {
    bytes += fs::file_size(file);
  }
  const long before = peakKilobytes();
  size_t units = 0;
  for (auto _ : state) {
    Tally tally;
    tally.keepUnits = state.range(2) != 0;
    tallyReports(model, files, tally);
    units = static_cast<size_t>(tally.unitsRead);
    benchmark::DoNotOptimize(tally.firstPass);
  }
  state.counters["units"] = static_cast<double>(units);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["reports/s"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_RSS_MB"] = static_cast<double>(peakKilobytes()) / 1024.0;
  state.counters["RSS_growth_MB"] = static_cast<double>(peakKilobytes() - before) / 1024.0;
  fs::remove_all(kRoot / "reports");
}

// Every report lists all 6528 entries: the most a report of this model can hold.
BENCHMARK(BM_ReadReports)
    ->Args({1000, 1, 0})
    ->Args({10000, 1, 0})
    ->Args({10000, 1, 1})
    ->Args({10000, 10, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
