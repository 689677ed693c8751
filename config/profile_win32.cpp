#include "config/profile.h"

#include <windows.h>

void readProfileString(const char* path, const char* section, const char* key, char* out,
                       size_t capacity) {
  GetPrivateProfileStringA(section, key, "", out, static_cast<DWORD>(capacity), path);
}

int readProfileInt(const char* path, const char* section, const char* key, int defaultValue) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path));
}

std::string readProfileSection(const char* path, const char* section) {
  // The service cannot tell the size up front; a section that does not fit comes back cut,
  // with the length reported as size - 2. Grow until it fits; the cap only guards against
  // a file no settings file comes near (a full control map is below 1 MB).
  constexpr DWORD kLargestBuffer = 64u << 20;
  std::string buffer(32767, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetPrivateProfileSectionA(section, buffer.data(), size, path);
    if (length != size - 2 || size >= kLargestBuffer) {
      buffer.resize(length + 1);  // every line with its terminator, then the closing one
      return buffer;
    }
    buffer.resize(2 * buffer.size());
  }
}
