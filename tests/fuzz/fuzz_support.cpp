#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/fakes/platform_fake.h"

#include <unistd.h>

[[noreturn]] void fuzzFailure(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

// What the platform fake finds broken in a hook's call ends the run as a FUZZ_CHECK does.
[[noreturn]] static void failOnViolation(const char* what) {
  fuzzFailure("tests/fakes/platform_fake.cpp", 0, what);
}
static const bool violationsFail = (platformFakeViolation = failOnViolation, true);

std::vector<std::string> splitParts(const uint8_t* data, size_t size, size_t count) {
  static constexpr std::string_view kBoundary = "\n%%\n";
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  while (parts.size() + 1 < count) {
    const size_t at = rest.find(kBoundary);
    if (at == std::string_view::npos) {
      break;
    }
    parts.emplace_back(rest.substr(0, at));
    rest.remove_prefix(at + kBoundary.size());
  }
  parts.emplace_back(rest);
  parts.resize(count);
  return parts;
}

namespace {

std::string makeScratchFolder() {
  // Memory first: on a disk file system, rewriting a file for every input waits for the
  // disk (ext4 flushes a file truncated and written again when it is closed).
  char inMemory[] = "/dev/shm/velk-fuzz-XXXXXX";
  char onDisk[] = "/tmp/velk-fuzz-XXXXXX";
  const char* folder = mkdtemp(inMemory);
  if (folder == nullptr) {
    folder = mkdtemp(onDisk);
  }
  if (folder == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  static std::string made = folder;
  // Only the process that made it removes it: libFuzzer's fork and merge modes start
  // children that inherit the exit handler.
  static const pid_t owner = getpid();
  std::atexit([] {
    if (getpid() == owner) {
      std::error_code ignored;
      std::filesystem::remove_all(made, ignored);
    }
  });
  return made + "/";
}

}  // namespace

const std::string& scratchFolder() {
  static const std::string folder = makeScratchFolder();
  return folder;
}

std::string writeScratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = scratchFolder() + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
      std::fclose(file) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}

GuardedBuffer::GuardedBuffer(size_t capacity, char fill)
    : capacity_(capacity), bytes_(capacity + kGuard, '\xA5') {
  std::memset(bytes_.data(), fill, capacity);
}

bool GuardedBuffer::guardIntact() const {
  for (size_t i = capacity_; i < bytes_.size(); ++i) {
    if (bytes_[i] != '\xA5') {
      return false;
    }
  }
  return true;
}

bool GuardedBuffer::terminated() const {
  return std::memchr(bytes_.data(), '\0', capacity_) != nullptr;
}
