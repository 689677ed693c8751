// Reading INI ("private profile") files. On Windows these are the system's private-profile
// calls; the native build has a stand-in with the same value rules for unit tests.
#ifndef CONFIG_PROFILE_H
#define CONFIG_PROFILE_H

#include <cstddef>
#include <string>

// [section] key with an empty default; at most capacity - 1 characters are kept.
void readProfileString(const char* path, const char* section, const char* key, char* out,
                       size_t capacity);
int readProfileInt(const char* path, const char* section, const char* key, int defaultValue);
// The whole section as the service returns it: "key=value\0key=value\0\0" (values raw).
std::string readProfileSection(const char* path, const char* section);

#endif
