#include <windows.h>

#include "base/platform_hooks.h"

uint32_t systemTickCount() {
  return GetTickCount();
}
