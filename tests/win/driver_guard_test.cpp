// Under Wine, 64-bit and 32-bit: the driver fault guard survives every kind of fault a driver
// can raise, leaves the thread's handler chain and the caller's registers as they were, and
// pins the module that faulted. On 32-bit Windows structured exceptions are frame-based (a
// handler record chained from FS:[0]), so the chain and the registers are where a guard that
// merely compiles can still go wrong.
#include <windows.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "audio/driver_guard.h"

#include <gtest/gtest.h>

// Written by the register stubs below (assembly), read by the tests.
extern "C" {
uintptr_t markerResults[9] __asm__("markerResults");
uintptr_t markerStack __asm__("markerStack");
unsigned long guardedWithMarkers(void (*body)(void*), void* context) __asm__("guardedWithMarkers");
void faultWithGarbage(void*) __asm__("faultWithGarbage");
}

// guardedWithMarkers loads a marker into every callee-saved register, calls runGuarded with
// the body given, and stores those registers and the stack pointer it finds on return into
// markerResults (the stack pointer before the call into markerStack). faultWithGarbage
// overwrites every callee-saved register with garbage and reads address 0: a real driver's
// code uses those registers freely before it faults, and only the guard can put them back.
#if defined(__i386__)
constexpr int kSavedRegisters = 4;  // ebx, esi, edi, ebp
static const uintptr_t kMarkers[kSavedRegisters] = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
__asm__(
    ".text\n"
    ".globl guardedWithMarkers\n"
    "guardedWithMarkers:\n"
    "  pushl %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 20(%esp), %eax\n"
    "  movl 24(%esp), %ecx\n"
    "  movl $0x11111111, %ebx\n"
    "  movl $0x22222222, %esi\n"
    "  movl $0x33333333, %edi\n"
    "  movl $0x44444444, %ebp\n"
    "  movl %esp, markerStack\n"
    "  pushl %ecx\n"
    "  pushl %eax\n"
    "  call _runGuarded\n"
    "  addl $8, %esp\n"
    "  movl %ebx, markerResults\n"
    "  movl %esi, markerResults+4\n"
    "  movl %edi, markerResults+8\n"
    "  movl %ebp, markerResults+12\n"
    "  movl %esp, markerResults+32\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n"
    ".globl faultWithGarbage\n"
    "faultWithGarbage:\n"
    "  movl $0xbad00001, %ebx\n"
    "  movl $0xbad00002, %esi\n"
    "  movl $0xbad00003, %edi\n"
    "  movl $0xbad00004, %ebp\n"
    "  xorl %eax, %eax\n"
    "  movl (%eax), %eax\n"
    "  ret\n");
#else
// x64 code must describe its register saves to the unwinder (.seh_*), as any compiled
// driver's does: unwinding restores callee-saved registers from those descriptions.
constexpr int kSavedRegisters = 8;  // rbx, rbp, rsi, rdi, r12-r15
static const uintptr_t kMarkers[kSavedRegisters] = {
    0x1111111111111111, 0x2222222222222222, 0x3333333333333333, 0x4444444444444444,
    0x5555555555555555, 0x6666666666666666, 0x7777777777777777, 0x0888888888888888};
#define VELK_PUSH_SAVED                                                    \
  "  pushq %rbp\n  .seh_pushreg %rbp\n  pushq %rbx\n  .seh_pushreg %rbx\n" \
  "  pushq %rsi\n  .seh_pushreg %rsi\n  pushq %rdi\n  .seh_pushreg %rdi\n" \
  "  pushq %r12\n  .seh_pushreg %r12\n  pushq %r13\n  .seh_pushreg %r13\n" \
  "  pushq %r14\n  .seh_pushreg %r14\n  pushq %r15\n  .seh_pushreg %r15\n"
#define VELK_POP_SAVED                                                             \
  "  popq %r15\n  popq %r14\n  popq %r13\n  popq %r12\n  popq %rdi\n  popq %rsi\n" \
  "  popq %rbx\n  popq %rbp\n"
__asm__(
    ".text\n"
    ".globl guardedWithMarkers\n"
    ".def guardedWithMarkers; .scl 2; .type 32; .endef\n"
    ".seh_proc guardedWithMarkers\n"
    "guardedWithMarkers:\n" VELK_PUSH_SAVED
    "  subq $40, %rsp\n"
    "  .seh_stackalloc 40\n"
    "  .seh_endprologue\n"
    "  movabsq $0x1111111111111111, %rbx\n"
    "  movabsq $0x2222222222222222, %rbp\n"
    "  movabsq $0x3333333333333333, %rsi\n"
    "  movabsq $0x4444444444444444, %rdi\n"
    "  movabsq $0x5555555555555555, %r12\n"
    "  movabsq $0x6666666666666666, %r13\n"
    "  movabsq $0x7777777777777777, %r14\n"
    "  movabsq $0x0888888888888888, %r15\n"
    "  movq %rsp, markerStack(%rip)\n"
    "  call runGuarded\n"
    "  movq %rbx, markerResults(%rip)\n"
    "  movq %rbp, markerResults+8(%rip)\n"
    "  movq %rsi, markerResults+16(%rip)\n"
    "  movq %rdi, markerResults+24(%rip)\n"
    "  movq %r12, markerResults+32(%rip)\n"
    "  movq %r13, markerResults+40(%rip)\n"
    "  movq %r14, markerResults+48(%rip)\n"
    "  movq %r15, markerResults+56(%rip)\n"
    "  movq %rsp, markerResults+64(%rip)\n"
    "  addq $40, %rsp\n" VELK_POP_SAVED
    "  ret\n"
    ".seh_endproc\n"
    ".globl faultWithGarbage\n"
    ".def faultWithGarbage; .scl 2; .type 32; .endef\n"
    ".seh_proc faultWithGarbage\n"
    "faultWithGarbage:\n" VELK_PUSH_SAVED
    "  .seh_endprologue\n"
    "  movabsq $0xbad0000000000001, %rbx\n"
    "  movabsq $0xbad0000000000002, %rbp\n"
    "  movabsq $0xbad0000000000003, %rsi\n"
    "  movabsq $0xbad0000000000004, %rdi\n"
    "  movabsq $0xbad0000000000005, %r12\n"
    "  movabsq $0xbad0000000000006, %r13\n"
    "  movabsq $0xbad0000000000007, %r14\n"
    "  movabsq $0xbad0000000000008, %r15\n"
    "  xorl %eax, %eax\n"
    "  movq (%rax), %rax\n" VELK_POP_SAVED
    "  ret\n"
    ".seh_endproc\n");
#endif
constexpr int kStackSlot = 8;  // markerResults[8]: the stack pointer after the call

namespace {

constexpr unsigned long kCxxExceptionCode = 0xE06D7363;  // an MSVC C++ throw leaving a driver

// The bad address, divisor or function is passed in context, so the compiler cannot see
// the fault coming and replace it with something else.
void readAt(void* address) {
  (void)*static_cast<volatile int*>(address);
}

void writeAt(void* address) {
  *static_cast<volatile int*>(address) = 1;
}

void illegalInstruction(void*) {
  __asm__ volatile("ud2");
}

void breakpoint(void*) {
  __asm__ volatile("int3");
}

void divideByZero(void* divisor) {
  volatile int dividend = 1;
  volatile int quotient = dividend / *static_cast<volatile int*>(divisor);
  (void)quotient;
}

void throwMsvcException(void*) {
  RaiseException(kCxxExceptionCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

// A function a module exports, found by name.
template <typename Function>
Function procedure(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A fault inside a system DLL the driver called: its fill routines on a null pointer.
using MemsetFunction = void*(__cdecl*)(void*, int, size_t);
using FillFunction = void(WINAPI*)(void*, SIZE_T, BYTE);

void msvcrtMemsetAtNull(void*) {
  procedure<MemsetFunction>(GetModuleHandleA("msvcrt.dll"), "memset")(nullptr, 0, 64);
}

void ntdllFillAtNull(void*) {
  procedure<FillFunction>(GetModuleHandleA("ntdll.dll"), "RtlFillMemory")(nullptr, 64, 0);
}

int zeroDivisor = 0;

struct Fault {
  const char* name;
  void (*body)(void*);
  void* context;
  unsigned long code;
};

// The page is made read-only once, by the first caller.
void* readOnlyPage() {
  static void* page = [] {
    void* memory = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    DWORD old = 0;
    VirtualProtect(memory, 4096, PAGE_READONLY, &old);
    return memory;
  }();
  return page;
}

std::vector<Fault> everyFault() {
  return {
      {"null read", readAt, nullptr, EXCEPTION_ACCESS_VIOLATION},
      {"write to a read-only page", writeAt, readOnlyPage(), EXCEPTION_ACCESS_VIOLATION},
      {"illegal instruction", illegalInstruction, nullptr, EXCEPTION_ILLEGAL_INSTRUCTION},
      {"integer divide by zero", divideByZero, &zeroDivisor, EXCEPTION_INT_DIVIDE_BY_ZERO},
      {"breakpoint", breakpoint, nullptr, EXCEPTION_BREAKPOINT},
      {"C++ exception of another compiler", throwMsvcException, nullptr, kCxxExceptionCode},
      {"msvcrt memset on null", msvcrtMemsetAtNull, nullptr, EXCEPTION_ACCESS_VIOLATION},
      {"ntdll RtlFillMemory on null", ntdllFillAtNull, nullptr, EXCEPTION_ACCESS_VIOLATION},
  };
}

// The thread's handler chain: the first word of its information block (NT_TIB's
// ExceptionList, at FS:[0] on 32-bit). x64 keeps no chain there, but nothing may change it.
void* handlerChainHead() {
  void* head;
#if defined(__i386__)
  __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
#else
  __asm__ volatile("movq %%gs:0, %0" : "=r"(head));
#endif
  return head;
}

void setFlag(void* flag) {
  *static_cast<bool*>(flag) = true;
}

// Every fault in turn, each followed by a normal call, on the calling thread: the codes
// returned, then "ran" for the normal calls, and whether the handler chain was the same
// after every call.
struct RoundResult {
  std::vector<unsigned long> codes;
  bool normalCallsRan = true;
  bool chainKept = true;
};

RoundResult runEveryFault() {
  RoundResult result;
  void* head = handlerChainHead();
  for (const Fault& fault : everyFault()) {
    result.codes.push_back(runGuarded(fault.body, fault.context));
    result.chainKept = result.chainKept && handlerChainHead() == head;
    bool ran = false;
    result.normalCallsRan = result.normalCallsRan && runGuarded(setFlag, &ran) == 0 && ran;
    result.chainKept = result.chainKept && handlerChainHead() == head;
  }
  return result;
}

void expectEveryFaultCaught(const RoundResult& result) {
  std::vector<Fault> faults = everyFault();
  ASSERT_EQ(result.codes.size(), faults.size());
  for (size_t i = 0; i < faults.size(); ++i) {
    EXPECT_EQ(result.codes[i], faults[i].code) << faults[i].name;
  }
  EXPECT_TRUE(result.normalCallsRan);
  EXPECT_TRUE(result.chainKept);
}

TEST(DriverGuard, ReturnsZeroAndRunsTheBodyWhenNothingFaults) {
  bool ran = false;
  EXPECT_EQ(runGuarded(setFlag, &ran), 0ul);
  EXPECT_TRUE(ran);
}

TEST(DriverGuard, CatchesEveryKindOfFaultAndRunsAgainAfterEach) {
  expectEveryFaultCaught(runEveryFault());
  // A second and third round: nothing the first left behind stops the guard.
  expectEveryFaultCaught(runEveryFault());
  expectEveryFaultCaught(runEveryFault());
}

TEST(DriverGuard, LeavesAReadOnlyPageUnwritten) {
  EXPECT_EQ(runGuarded(writeAt, readOnlyPage()), EXCEPTION_ACCESS_VIOLATION);
  EXPECT_EQ(*static_cast<volatile int*>(readOnlyPage()), 0);
}

TEST(DriverGuard, CatchesFaultsOnAnotherThread) {
  RoundResult result;
  std::thread worker([&result] { result = runEveryFault(); });
  worker.join();
  expectEveryFaultCaught(result);
  // And the main thread's guard still works after the other thread's faults.
  EXPECT_EQ(runGuarded(readAt, nullptr), EXCEPTION_ACCESS_VIOLATION);
}

// A driver that catches its own fault: the guard around it sees a normal return.
void guardedNullRead(void* code) {
  *static_cast<unsigned long*>(code) = runGuarded(readAt, nullptr);
}

TEST(DriverGuard, AnInnerGuardCatchesItsOwnFault) {
  void* head = handlerChainHead();
  unsigned long inner = 0;
  EXPECT_EQ(runGuarded(guardedNullRead, &inner), 0ul);
  EXPECT_EQ(inner, EXCEPTION_ACCESS_VIOLATION);
  EXPECT_EQ(handlerChainHead(), head);
}

TEST(DriverGuard, RestoresTheCallersRegistersAndStackAfterAFault) {
  EXPECT_EQ(guardedWithMarkers(faultWithGarbage, nullptr), EXCEPTION_ACCESS_VIOLATION);
  for (int i = 0; i < kSavedRegisters; ++i) {
    EXPECT_EQ(markerResults[i], kMarkers[i]) << "callee-saved register " << i;
  }
  EXPECT_EQ(markerResults[kStackSlot], markerStack);
  // And a normal return through the same path.
  bool ran = false;
  EXPECT_EQ(guardedWithMarkers(setFlag, &ran), 0ul);
  EXPECT_TRUE(ran);
  for (int i = 0; i < kSavedRegisters; ++i) {
    EXPECT_EQ(markerResults[i], kMarkers[i]) << "callee-saved register " << i;
  }
  EXPECT_EQ(markerResults[kStackSlot], markerStack);
}

#if defined(__i386__)
// A driver's own handler record, as its compiler registers one for a __finally or a C++
// destructor: it does not handle the fault, but must be told the frames are being unwound
// before the guard resumes, and must be off the chain afterwards.
struct DriverFrame {
  EXCEPTION_REGISTRATION_RECORD record;
  int* unwindCalls;
};

EXCEPTION_DISPOSITION NTAPI countUnwind(EXCEPTION_RECORD* exception, void* frame, CONTEXT*, void*) {
  if ((exception->ExceptionFlags & EXCEPTION_UNWINDING) != 0) {
    ++*static_cast<DriverFrame*>(frame)->unwindCalls;
  }
  return ExceptionContinueSearch;
}

void faultUnderADriverHandler(void* unwindCalls) {
  DriverFrame frame = {};
  frame.record.Next = static_cast<EXCEPTION_REGISTRATION_RECORD*>(handlerChainHead());
  frame.record.Handler = countUnwind;
  frame.unwindCalls = static_cast<int*>(unwindCalls);
  __asm__ volatile("movl %0, %%fs:0" : : "r"(&frame.record) : "memory");
  readAt(nullptr);
}

TEST(DriverGuard, UnwindsTheDriversOwnHandlersBeforeResuming) {
  void* head = handlerChainHead();
  int unwindCalls = 0;
  EXPECT_EQ(runGuarded(faultUnderADriverHandler, &unwindCalls), EXCEPTION_ACCESS_VIOLATION);
  EXPECT_EQ(unwindCalls, 1);
  EXPECT_EQ(handlerChainHead(), head);
}
#endif

// The test modules lie beside the test program.
std::string besideTheTest(const char* name) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

bool isLoaded(const std::string& path) {
  return GetModuleHandleA(path.c_str()) != nullptr;
}

// Each test has a module of its own: a pinned module stays for the rest of the process (so
// these tests cannot be repeated within one run).
TEST(DriverGuardPinning, AModuleWhoseCodeFaultedStaysLoaded) {
  std::string path = besideTheTest("guard_module_fault.dll");
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, nullptr);
  FreeLibrary(module);
  ASSERT_FALSE(isLoaded(path)) << "without a fault the module is unloaded";

  module = LoadLibraryA(path.c_str());
  auto fault = procedure<void (*)(void*)>(module, "faultInModule");
  ASSERT_NE(fault, nullptr);
  EXPECT_EQ(runGuarded(fault, nullptr), EXCEPTION_ACCESS_VIOLATION);
  FreeLibrary(module);
  EXPECT_TRUE(isLoaded(path));
}

TEST(DriverGuardPinning, PinsTheModuleHoldingAnObjectsVtable) {
  std::string path = besideTheTest("guard_module_object.dll");
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, nullptr);
  auto object = procedure<const void* (*)()>(module, "moduleObject");
  ASSERT_NE(object, nullptr);
  pinObjectModule(object());
  FreeLibrary(module);
  EXPECT_TRUE(isLoaded(path));
}

TEST(DriverGuardPinning, IgnoresAnObjectThatCannotBeRead) {
  void* head = handlerChainHead();
  pinObjectModule(nullptr);
  pinObjectModule(reinterpret_cast<const void*>(uintptr_t{16}));
  pinObjectModule(readOnlyPage());  // readable, but its first word is null
  EXPECT_EQ(handlerChainHead(), head);
}

}  // namespace
