#include "audio/driver_guard.h"

#include <windows.h>

static void pinModuleAt(const void* address) {
  HMODULE module = NULL;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     (LPCSTR)address, &module);
}

#if defined(__MINGW32__) && defined(__i386__)
// 32-bit Windows dispatches faults to a chain of handler records on the stack, its head at
// FS:[0]. MinGW has no __try/__except for it: GCC lacks it, and clang for this target emits
// the record but not the scope table its handler needs. So the guard chains a record of its
// own around the call. Its handler takes the code, pins the faulting module, has every record
// above it unwound (a driver's own __finally blocks and destructors run, as they would under
// __except), and resumes after the call with the caller's frame: __builtin_setjmp saved the
// stack and frame pointers, and the function saves every callee-saved register on entry.
// GNU ld writes no SafeSEH table, and Windows accepts any handler of an image without one.
struct GuardFrame {
  EXCEPTION_REGISTRATION_RECORD record;  // first: the chain points at the frame
  void* resume[5];                       // __builtin_setjmp's buffer
  unsigned long code;
};

static EXCEPTION_REGISTRATION_RECORD* chainHead(void) {
  EXCEPTION_REGISTRATION_RECORD* head;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

static void setChainHead(EXCEPTION_REGISTRATION_RECORD* head) {
  __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

static EXCEPTION_DISPOSITION NTAPI catchFault(EXCEPTION_RECORD* exception, void* frame,
                                              CONTEXT* context, void* dispatcher) {
  (void)context;
  (void)dispatcher;
  if ((exception->ExceptionFlags & EXCEPTION_UNWIND) != 0) {
    return ExceptionContinueSearch;  // unwound past by a handler further out: nothing to undo
  }
  struct GuardFrame* guard = (struct GuardFrame*)frame;
  guard->code = exception->ExceptionCode;
  pinModuleAt(exception->ExceptionAddress);
  RtlUnwind(frame, NULL, exception, NULL);  // returns with the chain's head at our record
  __builtin_longjmp(guard->resume, 1);
}

unsigned long runGuarded(void (*body)(void*), void* context) {
  struct GuardFrame guard;
  guard.record.Next = chainHead();
  guard.record.Handler = catchFault;
  guard.code = 0;
  if (__builtin_setjmp(guard.resume) == 0) {
    setChainHead(&guard.record);
    body(context);
    setChainHead(guard.record.Next);
    return 0;
  }
  setChainHead(guard.record.Next);
  unsigned long code = *(volatile unsigned long*)&guard.code;
  return code != 0 ? code : 1;
}
#else
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
#endif

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
