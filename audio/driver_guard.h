// Runs a call into driver code so that a fault raised there (an access violation, say) is
// caught instead of ending the program. Windows only: built from a C file with structured
// exception handling, which GCC lacks (clang builds it under MinGW).
#ifndef AUDIO_DRIVER_GUARD_H
#define AUDIO_DRIVER_GUARD_H

#ifdef __cplusplus
extern "C" {
#endif

// Calls body(context). Returns 0 when it returned normally, else the code of the exception
// raised inside it. The module whose code faulted is pinned in memory: a driver that
// faulted is never unloaded.
unsigned long runGuarded(void (*body)(void*), void* context);

#ifdef __cplusplus
}
#endif

#endif
