// The path rule: parts are two control bytes (form, buffer capacity), the executable's
// folder and the configured path. The path buffer may even lack a terminator. The result is
// always terminated within the buffer, nothing is written past it, a kept path is unchanged,
// and any other path becomes the folder followed by it, cut to the buffer and reported so.
#include <cstdint>
#include <cstring>
#include <string>

#include "config/path_rule.h"
#include "fuzz_support.h"

namespace {

bool keptAsItIs(const std::string& path, PathForm form) {
  if (path.size() >= 2 && path[1] == ':') {
    return true;  // a drive letter
  }
  return form == PathForm::Extended &&
         ((!path.empty() && path[0] == '\\') || (path.size() >= 5 && path[4] == ':'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, 3);
  const std::string& control = parts[0];
  const PathForm form = !control.empty() && (control[0] & 1) ? PathForm::Extended : PathForm::Basic;
  const size_t capacity =
      control.size() >= 2 ? static_cast<uint8_t>(control[1]) + 1 : kPathCapacity;

  const std::string folder = parts[1].substr(0, kPathCapacity - 1);
  std::memset(exeFolder, 0, sizeof exeFolder);
  std::memcpy(exeFolder, folder.data(), folder.size());
  const std::string folderText(exeFolder);  // up to its first zero byte

  // The path fills the buffer from its start; what does not fit is left out, and a path
  // that fills it has no terminator.
  GuardedBuffer buffer(capacity, 'u');
  const std::string& given = parts[2];
  std::memcpy(buffer.data(), given.data(), given.size() < capacity ? given.size() : capacity);
  if (given.size() < capacity) {
    buffer.data()[given.size()] = '\0';
  }
  const void* end = std::memchr(buffer.data(), '\0', capacity);
  const std::string path(buffer.data(),
                         end ? static_cast<const char*>(end) - buffer.data() : capacity - 1);

  const bool whole = makeAbsolutePath(buffer.data(), capacity, form);

  FUZZ_CHECK(buffer.guardIntact());
  FUZZ_CHECK(buffer.terminated());
  const std::string result = buffer.text();
  if (keptAsItIs(path, form)) {
    FUZZ_CHECK(whole && result == path);
  } else {
    const std::string joined = folderText + path;
    FUZZ_CHECK(result == joined.substr(0, capacity - 1));
    FUZZ_CHECK(whole == (joined.size() <= capacity - 1));
  }
  // No buffer at all: nothing is written and nothing is whole.
  GuardedBuffer none(0, 'n');
  FUZZ_CHECK(!makeAbsolutePath(none.data(), 0, form) && none.guardIntact());
  return 0;
}
