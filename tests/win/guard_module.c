// A module to fault in, loaded and given back by the fault guard's test: a module whose code
// faulted, or that holds the vtable of an object the guard was told about, must stay mapped
// after its last FreeLibrary.

struct ModuleObject {
  const void* const* vtable;
};

static const void* const moduleTable[1] = {0};
static const struct ModuleObject moduleObjectInstance = {moduleTable};

__declspec(dllexport) void faultInModule(void* address) {
  *(volatile int*)address = 1;
}

__declspec(dllexport) const void* moduleObject(void) {
  return &moduleObjectInstance;
}
