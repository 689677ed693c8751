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

// Pins the module that holds a COM object's code, the one its vtable (the object's first
// word) lies in. A driver that faulted inside a system DLL it called has only that DLL
// pinned by runGuarded; its own module must stay too, for its threads may still run.
// Nothing happens for null or for an object that cannot be read.
void pinObjectModule(const void* object);

#ifdef __cplusplus
}
#endif

#endif
