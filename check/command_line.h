// The command line of the model checker and the results tool: options with or without a
// value, "--help", and the words that are no option, read the same way by both.
#ifndef CHECK_COMMAND_LINE_H
#define CHECK_COMMAND_LINE_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct ToolOption {
  const char* name;              // "--json"
  bool* flag = nullptr;          // a flag: set when given
  std::string* value = nullptr;  // else an option followed by its value
};

struct ToolCommandLine {
  const char* program;    // the tool's name, first in every message
  const char* valueWord;  // what an option's value is called: "--csv needs a value"
  std::vector<ToolOption> options;
  // Takes a word that is no option, in order; false when it refused it (and said why).
  std::function<bool(const std::string&)> takeOperand;
  // Runs once every word is read, unless "--help" was given; false when it said what is
  // missing.
  std::function<bool()> complete;
  void (*printUsage)(FILE* out);
};

// True when the tool is to run. False when it is to end at once with exitCode: 0 after
// "--help" or "-h" (the usage on stdout), 2 after a mistake (what is wrong, then the usage,
// on stderr).
bool readCommandLine(int argc, char** argv, const ToolCommandLine& line, int& exitCode);

#endif
