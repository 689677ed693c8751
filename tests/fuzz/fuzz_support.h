// Shared pieces of the fuzz targets: the invariant check, splitting an input into parts, a
// scratch folder for the files the parsers read, and guarded output buffers.
#ifndef TESTS_FUZZ_FUZZ_SUPPORT_H
#define TESTS_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A broken invariant ends the run with a message; the fuzzer keeps the input.
[[noreturn]] void fuzzFailure(const char* file, int line, const char* what);
#define FUZZ_CHECK(condition)                      \
  do {                                             \
    if (!(condition)) {                            \
      fuzzFailure(__FILE__, __LINE__, #condition); \
    }                                              \
  } while (0)

// The input cut at every "\n%%\n" line: seeds stay readable text, and the fuzzer can move,
// add or drop a boundary like any other bytes. Missing parts are empty.
std::vector<std::string> splitParts(const uint8_t* data, size_t size, size_t count);

// A folder of this process's own (in /dev/shm, else /tmp), made at the first call, removed at exit;
// its path ends in '/'.
const std::string& scratchFolder();
// Writes bytes to scratchFolder() + name and returns the whole path.
std::string writeScratchFile(const std::string& name, std::string_view bytes);

// An output buffer of a given capacity with guard bytes behind it, so a write past the
// capacity the callee was given shows up even where the sanitizers see none (inside a
// larger array).
class GuardedBuffer {
 public:
  GuardedBuffer(size_t capacity, char fill);
  char* data() { return bytes_.data(); }
  size_t capacity() const { return capacity_; }
  // The guard bytes are untouched.
  bool guardIntact() const;
  // A terminator within the capacity.
  bool terminated() const;
  std::string text() const { return std::string(bytes_.data()); }

 private:
  static constexpr size_t kGuard = 16;
  size_t capacity_;
  std::vector<char> bytes_;
};

#endif
