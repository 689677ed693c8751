#include "results/tally.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unordered_map>

namespace fs = std::filesystem;

static std::string withSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

static bool isTextFile(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".txt";
}

bool collectReportFiles(const std::vector<std::string>& arguments, std::vector<std::string>& files,
                        std::string& why) {
  for (const std::string& argument : arguments) {
    std::error_code error;
    if (fs::is_regular_file(argument, error)) {
      files.push_back(withSlashes(argument));
      continue;
    }
    if (!fs::is_directory(argument, error)) {
      why = "no such file or folder: " + argument;
      return false;
    }
    std::vector<std::string> found;
    for (fs::recursive_directory_iterator it(argument, error), end; !error && it != end;
         it.increment(error)) {
      try {
        if (it->is_regular_file(error) && isTextFile(it->path())) {
          found.push_back(withSlashes(it->path().string()));
        }
      } catch (const std::exception&) {
        // A name the system's code page cannot spell cannot be opened by name either.
        why = "cannot name a file in " + argument;
        return false;
      }
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return true;
}

bool passedFirstTime(const ReportReading& reading) {
  bool anyRan = false;
  for (const StepReading& step : reading.steps) {
    if (step.outcome == StepOutcome::Listed) {
      return false;
    }
    anyRan = anyRan || step.outcome == StepOutcome::Completed;
  }
  // A unit on which no MIDI step ran has shown nothing to pass with.
  return anyRan;
}

namespace {

// Finds the candidates for byte-identical copies: FNV-1a's step over eight bytes at a time
// in four lanes, which keeps pace with reading the file.
uint64_t fingerprint(const std::string& bytes) {
  constexpr uint64_t kPrime = 1099511628211ull;
  uint64_t lane[4] = {1469598103934665603ull ^ bytes.size(), 1, 2, 3};
  size_t at = 0;
  for (; at + 32 <= bytes.size(); at += 32) {
    for (int k = 0; k < 4; ++k) {
      uint64_t word;
      std::memcpy(&word, bytes.data() + at + 8 * k, 8);
      lane[k] = (lane[k] ^ word) * kPrime;
    }
  }
  uint64_t hash = lane[0] ^ (lane[1] * 3) ^ (lane[2] * 5) ^ (lane[3] * 7);
  for (; at < bytes.size(); ++at) {
    hash = (hash ^ static_cast<unsigned char>(bytes[at])) * kPrime;
  }
  return hash;
}

// The whole file into bytes (reused from file to file, so reading holds one report at a
// time); a file larger than any report is not read.
bool readWhole(const std::string& path, std::string& bytes, bool& tooLarge) {
  std::error_code error;
  const uintmax_t size = fs::file_size(path, error);
  tooLarge = !error && size > kLargestReport;
  std::FILE* file = error || tooLarge ? nullptr : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return tooLarge;
  }
  bytes.resize(static_cast<size_t>(size));
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  // A file that grew or shrank meanwhile is read as far as it goes now.
  bytes.resize(got);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

std::time_t modificationTime(const std::string& path) {
  std::error_code error;
  const auto written = fs::last_write_time(path, error);
  if (error) {
    return 0;
  }
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      written - fs::file_time_type::clock::now() + std::chrono::system_clock::now());
  return std::chrono::system_clock::to_time_t(system);
}

void count(const UnitRecord& unit, Tally& tally) {
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    const StepReading& step = unit.reading.steps[s];
    StepCounts& counts = tally.steps[s];
    if (step.outcome == StepOutcome::NotRun) {
      continue;
    }
    ++counts.ran;
    counts.passedWhole += step.outcome == StepOutcome::Completed ? 1 : 0;
    for (uint16_t index : step.notPassed) {
      ++counts.notPassed[index];
    }
  }
  tally.firstPass += passedFirstTime(unit.reading) ? 1 : 0;
}

}  // namespace

void tallyReports(const ResultsModel& model, const std::vector<std::string>& files, Tally& tally) {
  std::unordered_map<uint64_t, std::vector<size_t>> seen;  // fingerprint -> files read
  std::string bytes, earlier;
  for (size_t f = 0; f < files.size(); ++f) {
    const std::string& file = files[f];
    bool tooLarge = false;
    if (!readWhole(file, bytes, tooLarge)) {
      tally.setAside.push_back({file, {0, "unreadable", "cannot be read"}});
      continue;
    }
    if (tooLarge) {
      tally.setAside.push_back({file,
                                {0, "not-a-report",
                                 "not a report: larger than " +
                                     std::to_string(kLargestReport >> 20) + " MB, no report is"}});
      continue;
    }
    UnitRecord unit{file, modificationTime(file), {}};
    SetAsideReason why;
    if (!readReport(bytes, model, unit.reading, why)) {
      tally.setAside.push_back({file, why});
      continue;
    }
    std::vector<size_t>& same = seen[fingerprint(bytes)];
    for (size_t other : same) {
      bool tooLargeToo = false;
      if (readWhole(files[other], earlier, tooLargeToo) && earlier == bytes) {
        // A report names no unit: this is one unit counted twice, or two units that ended
        // alike. Both count; the engineer decides.
        tally.warnings.push_back(
            {file,
             {0, "duplicate-file",
              "byte-identical to " + files[other] +
                  ": the same unit counted twice, or two units with the same results"}});
        break;
      }
    }
    same.push_back(f);
    count(unit, tally);
    ++tally.unitsRead;
    if (tally.keepUnits) {
      tally.units.push_back(std::move(unit));
    }
  }
}
