#include "results/report_reader.h"

#include <algorithm>
#include <cstring>

namespace {

// The report's lines one at a time; a line ends at LF, with or without CR before it.
struct Lines {
  std::string_view text;
  size_t position = 0;
  int number = 0;
  bool lastCut = false;  // the line read last had no line end

  bool next(std::string_view& line) {
    if (position >= text.size()) {
      return false;
    }
    const char* start = text.data() + position;
    const void* end = std::memchr(start, '\n', text.size() - position);
    const size_t length =
        end != nullptr ? static_cast<const char*>(end) - start : text.size() - position;
    lastCut = end == nullptr;
    position += length + (lastCut ? 0 : 1);
    line = std::string_view(start, length);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    ++number;
    return true;
  }
};

// The texts every line is compared with, measured once.
constexpr std::string_view kPassed = kPassedOutcome;
constexpr std::string_view kNotPassed = kNotPassedOutcome;
constexpr std::string_view kChannelWord = kChannelNameWord;

bool startsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// A decimal number without sign or leading zero, within first..last; the digits are taken off.
bool takeCount(std::string_view& text, int first, int last, int& value) {
  size_t digits = 0;
  value = 0;
  while (digits < text.size() && digits < 9 && text[digits] >= '0' && text[digits] <= '9') {
    value = value * 10 + (text[digits] - '0');
    ++digits;
  }
  if (digits == 0 || (digits > 1 && text[0] == '0') || value < first || value > last) {
    return false;
  }
  text.remove_prefix(digits);
  return true;
}

// line against a format of the report whose only conversions are %d (as printf writes them).
bool scanFormat(std::string_view line, const char* format, int* values, int count) {
  const std::string_view pattern = withoutLineEnd(format);
  int found = 0;
  size_t at = 0;
  for (size_t p = 0; p < pattern.size(); ++p) {
    if (pattern[p] == '%' && p + 1 < pattern.size() && pattern[p + 1] == 'd') {
      ++p;
      const bool negative = at < line.size() && line[at] == '-';
      std::string_view rest = line.substr(at + (negative ? 1 : 0));
      int value = 0;
      const size_t before = rest.size();
      // printf writes no "-0"; nine digits at most keep the value in an int.
      if (found == count || !takeCount(rest, 0, 999999999, value) || (negative && value == 0)) {
        return false;
      }
      at += (negative ? 1 : 0) + (before - rest.size());
      values[found++] = negative ? -value : value;
    } else if (at >= line.size() || line[at++] != pattern[p]) {
      return false;
    }
  }
  return at == line.size() && found == count;
}

std::string quoted(std::string_view line) {
  std::string text = "\"";
  for (size_t i = 0; i < line.size() && i < 60; ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text + (line.size() > 60 ? "...\"" : "\"");
}

const char* kindOf(const ModelStep& step) {
  return step.section.step == kStepControllerTest ? "controllers"  // not a settings key
         : step.section.step == kStepNoteRxTest   ? "LED notes"
                                                  : "notes";  // not a settings key
}

// Evidence for which kind of stranger a report is, over the whole file.
struct Strangeness {
  int known = 0, unknown = 0;
  SetAsideReason firstUnknown, firstDuplicate, firstMissing;
  bool anyUnknown = false, anyDuplicate = false, anyMissing = false;
  int unknownCount = 0;
};

class Reader {
 public:
  Reader(std::string_view text, const ResultsModel& model, ReportReading& reading,
         SetAsideReason& why)
      : model_(model), reading_(reading), why_(why) {
    lines_.text = text;
  }

  bool read() {
    if (lines_.text.empty()) {
      return fail(0, "empty", "empty file");
    }
    std::string_view line;
    if (!take(line, "the first section") || !blank(line, "an empty line")) {
      return false;
    }
    if (!take(line, "the first section")) {
      return false;
    }
    if (line == kAsioSectionName) {
      sawSection_ = true;
      if (!readAsio() || !take(line, kReportTestSections[0].name) ||
          !blank(line, "an empty line") || !take(line, kReportTestSections[0].name)) {
        return false;
      }
    }
    for (int s = 0; s < kReportTestSectionCount; ++s) {
      const char* name = kReportTestSections[s].name;
      if (s > 0 && !pendingBlank_ && (!take(line, name) || !blank(line, "an empty line"))) {
        return false;
      }
      pendingBlank_ = false;
      if (s > 0 && !take(line, name)) {
        return false;
      }
      if (line != name) {
        return unexpected(line, name);
      }
      sawSection_ = true;
      if (!take(line, name) || !blank(line, "an empty line") ||
          !readSection(model_.steps[s], s + 1 == kReportTestSectionCount)) {
        return false;
      }
    }
    if (lines_.lastCut) {
      return fail(lines_.number, "cut-off", "the last line has no line end: the file was cut off");
    }
    return verdict();
  }

 private:
  bool fail(int line, const char* code, const std::string& message) {
    why_.line = line;
    why_.code = code;
    why_.message = message;
    return false;
  }

  bool take(std::string_view& line, const char* inWhat) {
    if (lines_.next(line)) {
      return true;
    }
    return fail(lines_.number, "cut-off",
                std::string("the file ends ") + (sawSection_ ? "in or before " : "before ") +
                    inWhat + ": it was cut off");
  }

  bool unexpected(std::string_view line, const std::string& expected) {
    // A text without any section is no report, cut off or not.
    if (!sawSection_ && !anySectionIn(lines_.text)) {
      return fail(0, "not-a-report", "not a report: it has no report section");
    }
    if (lines_.lastCut) {
      return fail(lines_.number, "cut-off",
                  "the last line " + quoted(line) + " has no line end: the file was cut off");
    }
    return fail(lines_.number, "not-a-report",
                "a line no report has: " + quoted(line) + " where the station writes " + expected);
  }

  bool blank(std::string_view line, const char* what) {
    return line.empty() || unexpected(line, what);
  }

  static bool anySectionIn(std::string_view text) {
    if (text.find(kAsioSectionName) != std::string_view::npos) {
      return true;
    }
    for (const ReportTestSection& section : kReportTestSections) {
      if (text.find(section.name) != std::string_view::npos) {
        return true;
      }
    }
    return false;
  }

  // "4 Output Channels (2 x 2)": the channels are twice the pairs.
  static bool pairsAgree(const int* values) {
    return static_cast<long long>(values[0]) == 2LL * values[1];
  }

  bool readAsio() {
    AsioReading& asio = reading_.asio;
    asio.present = true;
    std::string_view line;
    int values[2];
    if (!take(line, kAsioSectionName)) {
      return false;
    }
    if (line.empty()) {
      if (!take(line, kAsioSectionName)) {
        return false;
      }
      asio.driverName = std::string(line);
      if (!take(line, kAsioSectionName)) {
        return false;
      }
    }
    if (!scanFormat(line, kOutputChannelsFormat, values, 2) || !pairsAgree(values)) {
      return unexpected(line, "the output channels");
    }
    asio.outputChannels = values[0];
    if (!take(line, kAsioSectionName)) {
      return false;
    }
    if (!scanFormat(line, kInputChannelsFormat, values, 2) || !pairsAgree(values) ||
        (values[0] == 0 && asio.outputChannels == 0)) {
      // The station writes the section only for a whole output or input pair.
      return unexpected(line, "the input channels");
    }
    asio.inputChannels = values[0];
    if (!take(line, kAsioSectionName) || !blank(line, "an empty line") ||
        !take(line, kAsioSectionName)) {
      return false;
    }
    if (!scanFormat(line, kFrequencyFormat, &asio.rate, 1)) {
      return unexpected(line, "the audio frequency");
    }
    if (!take(line, kAsioSectionName) || !blank(line, "an empty line") ||
        !take(line, kAsioSectionName)) {
      return false;
    }
    if (!scanFormat(line, kOutputLatencyFormat, &asio.outputLatency, 1)) {
      return unexpected(line, "the output latency");
    }
    if (!take(line, kAsioSectionName)) {
      return false;
    }
    if (!scanFormat(line, kInputLatencyFormat, &asio.inputLatency, 1)) {
      return unexpected(line, "the input latency");
    }
    return take(line, kAsioSectionName) && blank(line, "an empty line");
  }

  bool readSection(const ModelStep& step, bool last) {
    const int headerLine = lines_.number - 1;
    StepReading& result = reading_.steps[&step - model_.steps];
    std::string_view line;
    if (!take(line, step.section.name)) {
      return false;
    }
    if (line == withoutLineEnd(kNotTestedLine)) {
      result.outcome = StepOutcome::NotRun;
      return !last || rest();
    }
    if (line == withoutLineEnd(kCompletedLine)) {
      result.outcome = StepOutcome::Completed;
      if (step.controls.empty() && !strange_.anyUnknown) {
        strange_.anyUnknown = true;
        ++strange_.unknown;
        strange_.firstUnknown = {lines_.number, "unknown-control",
                                 std::string(step.section.name) + " says " + quoted(line) +
                                     ", but this model has no " + kindOf(step)};
      }
      return !last || rest();
    }
    result.outcome = StepOutcome::Listed;
    std::memset(listedOn_, 0, sizeof listedOn_);
    int passed = 0;
    bool ended = false;  // the file ended with the list
    do {
      if (!readEntry(step, line, result, passed)) {
        return false;
      }
      ended = !lines_.next(line);
    } while (!ended && !line.empty());
    // A blank line ends the list; the next section's header follows it.
    pendingBlank_ = !ended;
    if (ended && cutShort(step)) {
      return false;
    }
    if (!listEnds(step, headerLine, passed, result)) {
      return false;
    }
    return !last || ended || rest();
  }

  bool readEntry(const ModelStep& step, std::string_view line, StepReading& result, int& passed) {
    const size_t comma = line.rfind(kEntryOutcomeSeparator);
    const std::string_view outcome =
        comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
    const bool pass = outcome == kPassed;
    const int index = comma == std::string_view::npos
                          ? -1
                          : parseControlName(line.substr(0, comma), step.section.word);
    if (index < 0 || (!pass && outcome != kNotPassed)) {
      return unexpected(line, std::string("a control of ") + step.section.name);
    }
    if (!step.takesPart[index]) {
      ++strange_.unknown;
      ++strange_.unknownCount;
      if (!strange_.anyUnknown) {
        strange_.anyUnknown = true;
        strange_.firstUnknown = {lines_.number, "unknown-control",
                                 std::string(step.section.name) + " names " +
                                     std::string(line.substr(0, comma)) +
                                     ", which is not among this model's " + kindOf(step)};
      }
      return true;
    }
    ++strange_.known;
    if (listedOn_[index] != 0) {
      if (!strange_.anyDuplicate) {
        strange_.anyDuplicate = true;
        strange_.firstDuplicate = {
            lines_.number, "duplicate-control",
            std::string(step.section.name) + " lists " + std::string(line.substr(0, comma)) +
                " again (first on line " + std::to_string(listedOn_[index]) + ")"};
      }
      return true;
    }
    listedOn_[index] = lines_.number;
    if (pass) {
      ++passed;
    } else {
      result.notPassed.push_back(static_cast<uint16_t>(index));
    }
    return true;
  }

  // A list the file ends in whose missing controls all come after the last one listed: the
  // station writes in index order, so the file was cut at a line end. True: set aside so.
  bool cutShort(const ModelStep& step) {
    int lastListed = -1;
    int firstMissing = -1;
    for (uint16_t index : step.controls) {
      if (listedOn_[index] != 0) {
        lastListed = index;
      } else if (firstMissing < 0) {
        firstMissing = index;
      }
    }
    if (firstMissing < 0 || firstMissing < lastListed) {
      return false;
    }
    fail(lines_.number, "cut-off",
         std::string("the file ends here and the list of ") + step.section.name + " stops before " +
             reportControlName(step.section.word, firstMissing) + ": it was cut off");
    return true;
  }

  bool listEnds(const ModelStep& step, int headerLine, int passed, StepReading& result) {
    int missing = 0;
    int firstMissing = -1;
    for (uint16_t index : step.controls) {
      if (listedOn_[index] == 0) {
        if (missing++ == 0) {
          firstMissing = index;
        }
      }
    }
    std::sort(result.notPassed.begin(), result.notPassed.end());  // index order, as written
    if (missing > 0 && !strange_.anyMissing) {
      strange_.anyMissing = true;
      strange_.firstMissing = {
          headerLine, "missing-control",
          std::string(step.section.name) + " misses " +
              reportControlName(step.section.word, firstMissing) +
              (missing > 1 ? " and " + std::to_string(missing - 1) + " more" : "") +
              " of this model's " + kindOf(step)};
    }
    if (missing == 0 && !strange_.anyUnknown && !strange_.anyDuplicate) {
      if (passed == 0) {
        return fail(headerLine, "not-a-report",
                    std::string(step.section.name) +
                        " lists no control as passed, which the station writes as " +
                        quoted(withoutLineEnd(kNotTestedLine)));
      }
      if (result.notPassed.empty()) {
        return fail(headerLine, "not-a-report",
                    std::string(step.section.name) +
                        " lists every control as passed, which the station writes as " +
                        quoted(withoutLineEnd(kCompletedLine)));
      }
    }
    return true;
  }

  // After the last section only empty lines may follow.
  bool rest() {
    std::string_view line;
    while (lines_.next(line)) {
      if (!line.empty()) {
        return unexpected(line, "nothing after the last section");
      }
    }
    return true;
  }

  bool verdict() {
    const SetAsideReason* reason = strange_.anyDuplicate ? &strange_.firstDuplicate
                                   : strange_.anyUnknown ? &strange_.firstUnknown
                                   : strange_.anyMissing ? &strange_.firstMissing
                                                         : nullptr;
    if (reason == nullptr) {
      return true;
    }
    why_ = *reason;
    if (!strange_.anyDuplicate) {
      // Mostly this model's controls: the model changed since; mostly others: another model.
      why_.message += strange_.known > strange_.unknown
                          ? ": a report of an older version of this model"
                          : ": a report of another model";
    }
    return false;
  }

  Lines lines_;
  const ResultsModel& model_;
  ReportReading& reading_;
  SetAsideReason& why_;
  bool sawSection_ = false;
  bool pendingBlank_ = false;
  Strangeness strange_;
  int listedOn_[kControlCount];  // line of each control in the current list, 0 when not yet
};

}  // namespace

int parseControlName(std::string_view name, const char* word) {
  const std::string_view prefix(word);
  if (!startsWith(name, prefix) || name.size() <= prefix.size() || name[prefix.size()] != ' ') {
    return -1;
  }
  name.remove_prefix(prefix.size() + 1);
  int number = 0;
  if (!takeCount(name, 1, kNumbersPerBlock, number)) {
    return -1;
  }
  if (name.empty()) {
    return anyChannelIndex(number - 1);
  }
  int channel = 0;
  if (!startsWith(name, kChannelWord)) {
    return -1;
  }
  name.remove_prefix(kChannelWord.size());
  if (!takeCount(name, 1, kChannelCount, channel) || !name.empty()) {
    return -1;
  }
  return channelIndex(channel, number - 1);
}

bool readReport(std::string_view text, const ResultsModel& model, ReportReading& reading,
                SetAsideReason& why) {
  reading = ReportReading{};
  why = SetAsideReason{};
  Reader reader(text, model, reading, why);
  return reader.read();
}
