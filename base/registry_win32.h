// Reading string values from the registry: the ASIO driver list and the players registered
// for the video file types.
#ifndef BASE_REGISTRY_WIN32_H
#define BASE_REGISTRY_WIN32_H

#include <windows.h>

// The value name (null: the key's unnamed value) of an open key into out, always
// terminated; type, when given, receives its registry type. The service is offered one
// byte less than capacity, so a value stored without its terminator still gets one: a
// value fits whole, or the read fails (false, out unchanged).
bool readRegistryString(HKEY key, const char* name, char* out, DWORD capacity,
                        DWORD* type = nullptr);

#endif
