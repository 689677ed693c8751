#include "audio/driver_guard.h"

#include <windows.h>

// The code is taken in the filter: inside the handler block the exception's details are
// gone (and some runtimes report 0 there). Pinning keeps the faulting module mapped, so
// nothing the driver left behind (threads, callbacks) can run into unmapped code.
static int takeFault(EXCEPTION_POINTERS* pointers, unsigned long* code) {
  HMODULE module = NULL;
  *code = pointers->ExceptionRecord->ExceptionCode;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     (LPCSTR)pointers->ExceptionRecord->ExceptionAddress, &module);
  return EXCEPTION_EXECUTE_HANDLER;
}

unsigned long runGuarded(void (*body)(void*), void* context) {
  unsigned long code = 0;
  __try {
    body(context);
  } __except (takeFault(GetExceptionInformation(), &code)) {
    return code != 0 ? code : 1;
  }
  return 0;
}
