// velk-results / VelkResults.exe: reads a folder of station reports against the model they
// belong to and says which controls fail, on how many units. Exit code 0 when every file read
// as a report of the model, 1 when some were set aside, 2 when it could not run.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "check/command_line.h"
#include "check/html_page.h"
#include "results/results_model.h"
#include "results/results_output.h"
#include "results/results_page.h"
#include "results/tally.h"

#ifdef _WIN32
constexpr const char* kProgram = "VelkResults.exe";
#else
constexpr const char* kProgram = "velk-results";
#endif

static void printUsage(FILE* out) {
  std::fprintf(
      out,
      "usage: %s [--model PROFILE] [--station-folder DIR] [--csv FILE] [--json] [--html DIR]\n"
      "       SETTINGS REPORT...\n"
      "\n"
      "Reads Velk Analyser reports against the model they belong to: which controls fail, on\n"
      "how many units, and the first-pass yield.\n"
      "\n"
      "SETTINGS  the model's settings file, or the launcher file \"Velk Analyser.ini\" (with\n"
      "          --model when it maps more than one device profile); read as the station\n"
      "          reads it\n"
      "REPORT    a report file, or a folder searched at every depth for *.txt\n"
      "\n"
      "--model PROFILE       the launcher file's device profile (section name)\n"
      "--station-folder DIR  the folder the station runs from; relative paths start there\n"
      "--csv FILE            one row per control of each step:\n"
      "                      step,key,name,units,passed,not_passed\n"
      "--json                the figures, every unit and every file set aside, as JSON on\n"
      "                      stdout (instead of the summary)\n"
      "--html DIR            write DIR/index.html: the panel coloured by failure rate, yield\n"
      "                      per step, most failing controls, units per day, sound cards\n"
      "--help                this text\n"
      "\n"
      "A file that is not a report of this model (another model, an older version, a cut-off\n"
      "or empty file) is set aside and never counted: FILE:LINE: error: WHY [check].\n"
      "\"<Not Tested>\" counts as a step that did not run on that unit.\n"
      "Exit code: 0 every file read, 1 some set aside, 2 could not run.\n",
      kProgram);
}

struct Arguments {
  ModelRequest model;
  std::vector<std::string> reports;
  std::string csv, html;
  bool json = false;
};

static bool readArguments(int argc, char** argv, Arguments& args, int& exitCode) {
  std::vector<std::string> operands;
  ToolCommandLine line;
  line.program = kProgram;
  line.valueWord = "value";
  line.options = {{"--json", &args.json},
                  {"--model", nullptr, &args.model.profile},
                  {"--station-folder", nullptr, &args.model.stationFolder},
                  {"--csv", nullptr, &args.csv},
                  {"--html", nullptr, &args.html}};
  line.takeOperand = [&operands](const std::string& word) {
    operands.push_back(word);
    return true;
  };
  line.complete = [&operands] {
    if (operands.size() < 2) {
      std::fprintf(stderr, "%s: give SETTINGS and at least one REPORT\n", kProgram);
      return false;
    }
    return true;
  };
  line.printUsage = printUsage;
  if (!readCommandLine(argc, argv, line, exitCode)) {
    return false;
  }
  args.model.path = operands[0];
  args.reports.assign(operands.begin() + 1, operands.end());
  return true;
}

static bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  return static_cast<bool>(file);
}

int main(int argc, char** argv) {
  Arguments args;
  int exitCode = 0;
  if (!readArguments(argc, argv, args, exitCode)) {
    return exitCode;
  }
  ResultsModel model;
  std::string why;
  if (!loadResultsModel(args.model, model, why)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, why.c_str());
    return 2;
  }
  std::vector<std::string> files;
  if (!collectReportFiles(args.reports, files, why)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, why.c_str());
    return 2;
  }
  Tally tally;
  tally.keepUnits = args.json || !args.html.empty();
  tallyReports(model, files, tally);
  if (args.json) {
    std::printf("%s\n", resultsJson(model, tally).dump(1).c_str());
  } else {
    std::fputs(summaryText(model, tally).c_str(), stdout);
  }
  if (!args.csv.empty() && !writeFile(args.csv, csvText(model, tally))) {
    std::fprintf(stderr, "%s: cannot write %s\n", kProgram, args.csv.c_str());
    return 2;
  }
  if (!args.html.empty() && !writeIndexPage(args.html, resultsPage(model, tally))) {
    std::fprintf(stderr, "%s: cannot write %s/index.html\n", kProgram, args.html.c_str());
    return 2;
  }
  return tally.setAside.empty() ? 0 : 1;
}
