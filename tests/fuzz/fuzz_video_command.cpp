// The video command. Parts: the registered command template, the video's path, and control
// bytes (buffer capacities, step and pair). The extension is the path's tail from its last
// dot (never its first character) or ".mov"; the command line is the template with its first
// '%' at positions 0 .. length-3 and the character after it replaced by the path; results
// are terminated within their buffers and refused, not cut, when they do not fit.
#include <cstdint>
#include <cstring>
#include <string>

#include "base/steps.h"
#include "config/video_keys.h"
#include "fuzz_support.h"
#include "ui/video_command.h"

namespace {

uint8_t byteAt(const std::string& bytes, size_t at) {
  return at < bytes.size() ? static_cast<uint8_t>(bytes[at]) : 0;
}

void checkExtension(const std::string& path, size_t capacity) {
  GuardedBuffer out(capacity, 'e');
  const bool fits = videoExtension(path.c_str(), out.data(), capacity);
  FUZZ_CHECK(out.guardIntact());
  const size_t dot = path.rfind('.');
  const std::string expected = dot == std::string::npos || dot == 0 ? ".mov" : path.substr(dot);
  FUZZ_CHECK(fits == (expected.size() < capacity));
  if (fits) {
    FUZZ_CHECK(out.terminated() && out.text() == expected);
  }
}

void checkCommand(const std::string& commandTemplate, const std::string& path, size_t capacity) {
  GuardedBuffer out(capacity, 'm');
  const bool made =
      composePlayerCommand(commandTemplate.c_str(), path.c_str(), out.data(), capacity);
  FUZZ_CHECK(out.guardIntact());
  const size_t percent = commandTemplate.find('%');
  const bool placeholder = percent != std::string::npos && percent + 2 < commandTemplate.size();
  if (!placeholder) {
    FUZZ_CHECK(!made);
    return;
  }
  const std::string expected =
      commandTemplate.substr(0, percent) + path + commandTemplate.substr(percent + 2);
  FUZZ_CHECK(made == (expected.size() < capacity));
  if (made) {
    FUZZ_CHECK(out.terminated() && out.text() == expected);
  }
}

void checkKey(int step, int pair, size_t capacity) {
  GuardedBuffer out(capacity, 'k');
  videoKey(step, pair, out.data(), capacity);
  FUZZ_CHECK(out.guardIntact());
  if (capacity == 0) {
    return;
  }
  const bool pairKey = isAudioStep(step) && pair >= 0;
  std::string expected = "video" + std::to_string(stepNumber(step));
  if (pairKey) {
    expected += '_';
    expected += std::to_string(pair + 1);
  }
  FUZZ_CHECK(out.terminated() && out.text() == expected.substr(0, capacity - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, 3);
  // Texts as the registry and the settings file hand them over: up to the first zero.
  const std::string commandTemplate = parts[0].c_str();
  const std::string path = parts[1].c_str();
  const std::string& control = parts[2];

  checkExtension(path, kExtensionCapacity);
  checkExtension(path, byteAt(control, 0) % 16);
  checkCommand(commandTemplate, path, kCommandLineCapacity);
  checkCommand(commandTemplate, path, byteAt(control, 1));
  // Pairs as the sequence has them: -1 (the step's own video) up to a large unit's count.
  const int pair = byteAt(control, 3) - 1;
  const int step = byteAt(control, 2) % 8;
  checkKey(step, pair, 80);
  checkKey(step, pair, byteAt(control, 4) % 24);
  return 0;
}
