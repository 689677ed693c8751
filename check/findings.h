// What the checker found, one record per problem, written as compiler diagnostics or JSON.
#ifndef CHECK_FINDINGS_H
#define CHECK_FINDINGS_H

#include <string>
#include <vector>

enum class Severity { Error, Warning, Note };

// A control of the map a finding is about, for the model sheet; kind "" when none.
struct ControlRef {
  std::string kind;  // "notes" or "controllers"
  int index = -1;
};

struct Finding {
  std::string file;  // as shown: relative to where the checker was started, '/' separators
  int line = 0;      // 0: the file as a whole
  Severity severity = Severity::Warning;
  std::string check;  // short name of the check, e.g. "rect-outside"
  std::string section, key;
  std::string message;
  ControlRef control;
  int order = 0;  // file order of the run, for sorting
};

struct FindingList {
  std::vector<Finding> items;
  std::vector<std::string> files;  // display names in the order first met
};

void addFinding(FindingList& list, Finding finding);
// A finding without a control: where it is, how bad, which check, and what it says.
Finding plainFinding(const std::string& file, int line, Severity severity, const char* check,
                     const std::string& section, const std::string& key,
                     const std::string& message);
// Stable by file (in the order first met) and line.
void sortFindings(FindingList& list);
int countSeverity(const FindingList& list, Severity severity);
const char* severityName(Severity severity);

// "file:line: severity: [section] key: message [check]"
std::string formatFinding(const Finding& finding);
// "N errors, N warnings, N notes"
std::string formatCounts(const FindingList& list);

#endif
