#include "report/report.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "report/report_format.h"
#include "report/results.h"

#include <sys/stat.h>

template <typename... Args>
static void appendFormat(std::string& text, const char* format, Args... args) {
  char line[160];
  const int length = std::snprintf(line, sizeof line, format, args...);
  if (length > 0) {
    text.append(line, static_cast<size_t>(length) < sizeof line ? length : sizeof line - 1);
  }
}

// Truncation toward zero, with anything a driver might report that has no int value
// (NaN, infinities, absurd rates) written as 0.
static int wholeHertz(double rate) {
  if (!std::isfinite(rate) || rate <= -2147483648.0 || rate >= 2147483648.0) {
    return 0;
  }
  return static_cast<int>(rate);
}

bool hasAsioSection(int32_t outputCount, int32_t inputCount) {
  return outputCount / 2 != 0 || inputCount / 2 != 0;
}

static void appendAsioSection(std::string& text, const AsioSummary& summary) {
  if (!hasAsioSection(summary.outputCount, summary.inputCount)) {
    return;
  }
  const int outputPairs = summary.outputCount / 2;
  const int inputPairs = summary.inputCount / 2;
  text += kReportLineEnd;
  text += kAsioSectionName;
  text += kReportLineEnd;
  const int nameLength = static_cast<int>(strnlen(summary.driverName, sizeof summary.driverName));
  if (nameLength > 0) {
    text += kReportLineEnd;
    text.append(summary.driverName, nameLength);
    text += kReportLineEnd;
  }
  appendFormat(text, kOutputChannelsFormat, 2 * outputPairs, outputPairs);
  appendFormat(text, kInputChannelsFormat, 2 * inputPairs, inputPairs);
  text += kReportLineEnd;
  appendFormat(text, kFrequencyFormat, wholeHertz(summary.sampleRate));
  text += kReportLineEnd;
  appendFormat(text, kOutputLatencyFormat, summary.outputLatency);
  appendFormat(text, kInputLatencyFormat, summary.inputLatency);
  text += kReportLineEnd;
}

static void appendTestSection(std::string& text, const ReportTestSection& section,
                              const ResultTable& table) {
  text += kReportLineEnd;
  text += section.name;
  text += kReportLineEnd;
  text += kReportLineEnd;
  bool passedAny = false;
  bool complete = true;
  for (const int16_t entry : table.entry) {
    passedAny = passedAny || entry > 0;
    complete = complete && entry != 0;
  }
  if (!passedAny) {
    text += kNotTestedLine;
    return;
  }
  if (complete) {
    text += kCompletedLine;
    return;
  }
  // Index order: the any-channel entries first, then channel 1 to 16.
  for (int i = 0; i < kControlCount; ++i) {
    const int16_t entry = table.entry[i];
    if (entry == -1) {
      continue;
    }
    text += reportControlName(section.word, i);
    text += kEntryOutcomeSeparator;
    text += entry == 0 ? kNotPassedOutcome : kPassedOutcome;
    text += kReportLineEnd;
  }
}

static const ResultTable& tableOf(int step) {
  return step == kStepNoteTest         ? noteResults
         : step == kStepControllerTest ? controllerResults
                                       : receiveResults;
}

std::string composeReport(const AsioSummary* summary) {
  std::string text;
  if (summary != nullptr) {
    appendAsioSection(text, *summary);
  }
  for (const ReportTestSection& section : kReportTestSections) {
    appendTestSection(text, section, tableOf(section.step));
  }
  return text;
}

void applyReportExtension(char* name, size_t capacity) {
  static const char kExtension[] = ".txt";
  constexpr size_t kExtensionLength = sizeof kExtension - 1;
  if (capacity == 0) {
    return;
  }
  size_t length = strnlen(name, capacity);
  // "results.doc" loses its three-letter extension; "results.html" keeps its own.
  if (length > kExtensionLength && name[length - kExtensionLength] == '.') {
    length -= kExtensionLength;
  }
  // Never past capacity: a name too long for the extension gives up its own last characters.
  if (length + kExtensionLength + 1 > capacity) {
    length = capacity > kExtensionLength ? capacity - kExtensionLength - 1 : 0;
  }
  const size_t room = capacity - 1 - length;
  const size_t copied = room < kExtensionLength ? room : kExtensionLength;
  std::memcpy(name + length, kExtension, copied);
  name[length + copied] = '\0';
}

bool writeReportFile(const char* path, AsioSummarySource describeAudio) {
  // Binary mode: the report's CR LF line ends go out as they are.
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    return false;
  }
  AsioSummary summary{};
  const bool audio = describeAudio != nullptr && describeAudio(summary);
  const std::string text = composeReport(audio ? &summary : nullptr);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (written && closed) {
    return true;
  }
  // A cut report must not pass for one: what was written goes again. Only a plain file is
  // removed; a device that took the open (a printer port, a null device) is left alone.
  struct stat info;
  if (stat(path, &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG) {
    std::remove(path);
  }
  return false;
}
