// How the private-profile service turns an integer value into a number. The native stand-in
// of the service converts with it, and the model checker asks it where the conversion
// stops, so that both follow the rule measured on the service.
#ifndef CONFIG_PROFILE_INT_H
#define CONFIG_PROFILE_INT_H

#include <cstddef>

// The service reads an integer value into 30 characters before converting it: only the
// first 29 characters of a value count.
constexpr size_t kProfileIntCapacity = 30;

// Like RtlUnicodeStringToInteger: leading control characters and blanks skipped, one sign,
// a lower-case "0x", "0o" or "0b" prefix, digits up to the first misfit, 32-bit
// wrap-around. end, when given, points at the first character not converted; digits, when
// given, counts the digits converted.
int convertProfileInt(const char* text, const char** end = nullptr, int* digits = nullptr);

#endif
