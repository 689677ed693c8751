// Reading the registry: the ASIO driver list and the players registered for the video file
// types.
#ifndef BASE_REGISTRY_WIN32_H
#define BASE_REGISTRY_WIN32_H

#include <windows.h>

// The value name (null: the key's unnamed value) of an open key into out, always
// terminated; type, when given, receives its registry type. The service is offered one
// byte less than capacity, so a value stored without its terminator still gets one: a
// value fits whole, or the read fails (false, out unchanged).
bool readRegistryString(HKEY key, const char* name, char* out, DWORD capacity,
                        DWORD* type = nullptr);

// A key opened for reading under parent, closed when it goes out of scope, so no path can
// leave one open. open() is false when the key is missing or may not be read.
struct RegistryKey {
  HKEY key = nullptr;
  RegistryKey(HKEY parent, const char* path) {
    if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      key = nullptr;
    }
  }
  ~RegistryKey() {
    if (key) {
      RegCloseKey(key);
    }
  }
  bool open() const { return key != nullptr; }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
};

#endif
