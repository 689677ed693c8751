// A word shared between the window, MIDI and audio threads. Each such word is read and
// written whole, and nothing orders one word against another, so relaxed atomic access is
// all the program needs: no locks, no torn values, and no data race for the sanitizers.
#ifndef BASE_SHARED_WORD_H
#define BASE_SHARED_WORD_H

#include <atomic>

template <typename T>
class Shared {
 public:
  constexpr Shared(T initial = T()) : word_(initial) {}
  Shared(const Shared&) = delete;
  Shared& operator=(const Shared&) = delete;

  T get() const { return word_.load(std::memory_order_relaxed); }
  void set(T value) { word_.store(value, std::memory_order_relaxed); }

 private:
  std::atomic<T> word_;
};

#endif
