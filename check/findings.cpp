#include "check/findings.h"

#include <algorithm>

static int fileOrder(FindingList& list, const std::string& file) {
  const auto found = std::find(list.files.begin(), list.files.end(), file);
  if (found != list.files.end()) {
    return static_cast<int>(found - list.files.begin());
  }
  list.files.push_back(file);
  return static_cast<int>(list.files.size()) - 1;
}

Finding plainFinding(const std::string& file, int line, Severity severity, const char* check,
                     const std::string& section, const std::string& key,
                     const std::string& message) {
  Finding finding;
  finding.file = file;
  finding.line = line;
  finding.severity = severity;
  finding.check = check;
  finding.section = section;
  finding.key = key;
  finding.message = message;
  return finding;
}

void addFinding(FindingList& list, Finding finding) {
  finding.order = fileOrder(list, finding.file);
  list.items.push_back(std::move(finding));
}

void sortFindings(FindingList& list) {
  std::stable_sort(list.items.begin(), list.items.end(), [](const Finding& a, const Finding& b) {
    return a.order != b.order ? a.order < b.order : a.line < b.line;
  });
}

int countSeverity(const FindingList& list, Severity severity) {
  return static_cast<int>(std::count_if(list.items.begin(), list.items.end(),
                                        [&](const Finding& f) { return f.severity == severity; }));
}

const char* severityName(Severity severity) {
  switch (severity) {
    case Severity::Error:
      return "error";
    case Severity::Warning:
      return "warning";
    case Severity::Note:
      return "note";
  }
  return "note";
}

std::string formatFinding(const Finding& finding) {
  std::string text = finding.file;
  if (finding.line > 0) {
    text += ":" + std::to_string(finding.line);
  }
  text += std::string(": ") + severityName(finding.severity) + ": ";
  if (!finding.section.empty()) {
    text += "[" + finding.section + "] ";
  }
  if (!finding.key.empty()) {
    text += finding.key + ": ";
  }
  return text + finding.message + " [" + finding.check + "]";
}

static std::string plural(int count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::string formatCounts(const FindingList& list) {
  return plural(countSeverity(list, Severity::Error), "error") + ", " +
         plural(countSeverity(list, Severity::Warning), "warning") + ", " +
         plural(countSeverity(list, Severity::Note), "note");
}
