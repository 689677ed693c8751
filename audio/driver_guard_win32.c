#include "audio/driver_guard.h"

#include <windows.h>

static void pinModuleAt(const void* address) {
  HMODULE module = NULL;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     (LPCSTR)address, &module);
}

// The code is taken in the filter: inside the handler block the exception's details are
// gone (and some runtimes report 0 there). Pinning keeps the faulting module mapped, so
// nothing the driver left behind (threads, callbacks) can run into unmapped code.
static int takeFault(EXCEPTION_POINTERS* pointers, unsigned long* code) {
  *code = pointers->ExceptionRecord->ExceptionCode;
  pinModuleAt(pointers->ExceptionRecord->ExceptionAddress);
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

struct FirstWord {
  const void* object;
  const void* word;
};

// Out of line, so that the read stays a call inside the guard's __try.
__declspec(noinline) static void readFirstWord(void* context) {
  struct FirstWord* read = (struct FirstWord*)context;
  read->word = *(const void* const volatile*)read->object;
}

void pinObjectModule(const void* object) {
  struct FirstWord read = {object, NULL};
  if (object != NULL && runGuarded(readFirstWord, &read) == 0 && read.word != NULL) {
    pinModuleAt(read.word);
  }
}
