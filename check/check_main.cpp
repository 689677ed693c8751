// velk-check / VelkCheck.exe: checks a unit's model files before they reach the factory
// floor. Findings go out as compiler diagnostics (or JSON); the exit code is 0 without
// errors, 1 with errors, 2 when the check could not run.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/steps.h"
#include "check/check_run.h"
#include "check/command_line.h"
#include "check/model_sheet.h"
#include "check/report_json.h"

#ifdef _WIN32
constexpr const char* kProgram = "VelkCheck.exe";
#else
constexpr const char* kProgram = "velk-check";
#endif

static void printUsage(FILE* out) {
  std::fprintf(out,
               "usage: %s [--json] [--pages] [--sheet DIR] [--station-folder DIR] PATH\n"
               "\n"
               "Checks a Velk Analyser model the way the station reads it and prints what would\n"
               "go wrong, one finding a line: FILE:LINE: error|warning|note: MESSAGE [CHECK].\n"
               "\n"
               "PATH  the launcher file \"Velk Analyser.ini\" (every profile its [midi] section\n"
               "      maps is checked, each settings file once), or one settings file. For a\n"
               "      settings file, configured paths are taken from the station's folder:\n"
               "      the folder holding \"Velk Analyser.ini\" beside or above it, else its own\n"
               "      folder; its profile's audio driver is taken to be there.\n"
               "\n"
               "--station-folder DIR  the folder the station runs from (where its program and\n"
               "                      launcher file stand); relative paths start there\n"
               "--json                the findings and each model's pages as JSON on stdout\n"
               "--pages               also print, per page of steps 3 to 5, what it puts under\n"
               "                      test\n"
               "--sheet DIR           write the model sheet DIR/index.html: the panel with every\n"
               "                      control outlined, the pages and the findings\n"
               "--help                this text\n"
               "\n"
               "Severities: error (the run will go wrong), warning (likely a mistake), note.\n"
               "Exit code: 0 no errors, 1 errors found, 2 the check could not run.\n",
               kProgram);
}

struct Arguments {
  CheckOptions check;
  bool json = false, pages = false;
  std::string sheet;
};

static bool readArguments(int argc, char** argv, Arguments& args, int& exitCode) {
  ToolCommandLine line;
  line.program = kProgram;
  line.valueWord = "folder";
  line.options = {{"--json", &args.json},
                  {"--pages", &args.pages},
                  {"--sheet", nullptr, &args.sheet},
                  {"--station-folder", nullptr, &args.check.stationFolder}};
  line.takeOperand = [&args](const std::string& word) {
    if (!args.check.path.empty()) {
      std::fprintf(stderr, "%s: one PATH only\n", kProgram);
      return false;
    }
    args.check.path = word;
    return true;
  };
  line.complete = [&args] {
    if (args.check.path.empty()) {
      std::fprintf(stderr, "%s: no PATH given\n", kProgram);
      return false;
    }
    return true;
  };
  line.printUsage = printUsage;
  return readCommandLine(argc, argv, line, exitCode);
}

static std::vector<std::string> pageLines(const ModelCheck& model) {
  std::vector<std::string> lines;
  for (const StepView& step : model.steps) {
    if (!step.enabled) {
      continue;
    }
    for (const PageView& page : step.pages) {
      std::string line = model.settingsShown;
      if (page.line > 0) {
        line += ':';
        line += std::to_string(page.line);
      }
      line += std::string(": page: step ") + std::to_string(stepNumber(step.step)) + " " +
              page.key + " (" + pageChannelsText(page) +
              "): " + std::to_string(page.underTest.size()) +
              (step.step == kStepControllerTest ? " controllers" : " notes") + " under test";
      for (size_t k = 0; k < page.underTest.size(); ++k) {
        line += (k == 0 ? ": " : " ") + controlKey(page.underTest[k]);
      }
      lines.push_back(line);
    }
  }
  return lines;
}

int main(int argc, char** argv) {
  Arguments args;
  int exitCode = 0;
  if (!readArguments(argc, argv, args, exitCode)) {
    return exitCode;
  }
  FindingList findings;
  nlohmann::json models = nlohmann::json::array();
  std::vector<std::string> pages, sheetParts;
  std::vector<std::pair<size_t, size_t>> modelRanges;
  const bool ran = runCheck(args.check, findings, [&](ModelCheck& model, size_t first) {
    models.push_back(modelJson(model));
    for (const std::string& line : pageLines(model)) {
      pages.push_back(line);
    }
    if (!args.sheet.empty()) {
      FindingList own;
      own.items.assign(findings.items.begin() + first, findings.items.end());
      sortFindings(own);
      sheetParts.push_back(sheetSection(model, static_cast<int>(sheetParts.size()), own.items));
    }
    modelRanges.emplace_back(first, findings.items.size());
  });
  if (!ran) {
    std::fprintf(stderr, "%s: cannot read %s\n", kProgram, args.check.path.c_str());
    return 2;
  }
  std::vector<Finding> general;  // the launcher's own findings, for the sheet
  for (size_t i = 0; i < findings.items.size(); ++i) {
    bool inModel = false;
    for (const auto& range : modelRanges) {
      inModel = inModel || (i >= range.first && i < range.second);
    }
    if (!inModel) {
      general.push_back(findings.items[i]);
    }
  }
  sortFindings(findings);

  if (args.json) {
    std::printf("%s\n", runJson(shownName(args.check.path), findings, models).dump(1).c_str());
  } else {
    if (args.pages) {
      for (const std::string& line : pages) {
        std::printf("%s\n", line.c_str());
      }
    }
    for (const Finding& finding : findings.items) {
      std::printf("%s\n", formatFinding(finding).c_str());
    }
    std::printf("%s\n", formatCounts(findings).c_str());
  }
  if (!args.sheet.empty() && !writeSheet(args.sheet, sheetPage(shownName(args.check.path), findings,
                                                               general, sheetParts))) {
    std::fprintf(stderr, "%s: cannot write %s/index.html\n", kProgram, args.sheet.c_str());
    return 2;
  }
  return countSeverity(findings, Severity::Error) > 0 ? 1 : 0;
}
