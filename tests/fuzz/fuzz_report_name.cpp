// The report name: the input is the name the save dialog returned (its bytes up to the
// first zero, or none: a name filling the buffer), after a "%%" line a capacity byte. The
// result is terminated within the buffer and never written past it; for the dialog's own
// buffer (a name of at most 255 characters in 260) it is the name with a three-letter
// extension cut off, followed by ".txt"; in any buffer it ends in as much of ".txt" as fits
// and starts with the name's own leading characters.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "report/report.h"

namespace {

constexpr size_t kDialogCapacity = 260;
constexpr size_t kDialogNameLimit = 255;

std::string applied(const std::string& given, size_t capacity, std::string& name) {
  GuardedBuffer buffer(capacity, 'r');
  std::memcpy(buffer.data(), given.data(), given.size() < capacity ? given.size() : capacity);
  if (given.size() < capacity) {
    buffer.data()[given.size()] = '\0';
  }
  const void* end = std::memchr(buffer.data(), '\0', capacity);
  name.assign(buffer.data(), end ? static_cast<const char*>(end) - buffer.data() : capacity);
  applyReportExtension(buffer.data(), capacity);
  FUZZ_CHECK(buffer.guardIntact());
  if (capacity == 0) {
    return "";
  }
  FUZZ_CHECK(buffer.terminated());
  return buffer.text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, 2);
  const std::string& given = parts[0];

  std::string name;
  const std::string result = applied(given, kDialogCapacity, name);
  if (name.size() <= kDialogNameLimit) {
    const bool threeLetterExtension = name.size() > 4 && name[name.size() - 4] == '.';
    const std::string expected =
        (threeLetterExtension ? name.substr(0, name.size() - 4) : name) + ".txt";
    FUZZ_CHECK(result == expected);
  }

  const size_t capacity = parts[1].empty() ? 0 : static_cast<uint8_t>(parts[1][0]);
  const std::string cut = applied(given, capacity, name);
  if (capacity > 0) {
    const std::string extension = std::string(".txt").substr(0, capacity - 1);
    FUZZ_CHECK(cut.size() >= extension.size() &&
               cut.compare(cut.size() - extension.size(), extension.size(), extension) == 0);
    const std::string own = cut.substr(0, cut.size() - extension.size());
    FUZZ_CHECK(name.compare(0, own.size(), own) == 0);
  }
  return 0;
}
