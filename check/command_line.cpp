#include "check/command_line.h"

static const ToolOption* findOption(const ToolCommandLine& line, const std::string& word) {
  for (const ToolOption& option : line.options) {
    if (word == option.name) {
      return &option;
    }
  }
  return nullptr;
}

// False at the first word that cannot be taken, with the reason on stderr.
static bool readWords(int argc, char** argv, const ToolCommandLine& line, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const ToolOption* option = findOption(line, word);
    if (option && option->value && i + 1 >= argc) {
      std::fprintf(stderr, "%s: %s needs a %s\n", line.program, word.c_str(), line.valueWord);
      return false;
    }
    if (word == "--help" || word == "-h") {
      help = true;
    } else if (option && option->value) {
      *option->value = argv[++i];
    } else if (option) {
      *option->flag = true;
    } else if (word.size() > 1 && word[0] == '-') {
      std::fprintf(stderr, "%s: unknown option %s\n", line.program, word.c_str());
      return false;
    } else if (!line.takeOperand(word)) {
      return false;
    }
  }
  return help || line.complete();
}

bool readCommandLine(int argc, char** argv, const ToolCommandLine& line, int& exitCode) {
  bool help = false;
  if (!readWords(argc, argv, line, help)) {
    line.printUsage(stderr);
    exitCode = 2;
    return false;
  }
  if (help) {
    line.printUsage(stdout);
    exitCode = 0;
    return false;
  }
  return true;
}
