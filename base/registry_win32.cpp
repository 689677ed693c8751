#include "base/registry_win32.h"

bool readRegistryString(HKEY key, const char* name, char* out, DWORD capacity, DWORD* type) {
  DWORD size = capacity - 1;
  if (RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(out), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  out[size < capacity ? size : capacity - 1] = '\0';
  return true;
}
