#include "midi/note_receive.h"

#include <windows.h>

uint32_t systemTickCount() {
  return GetTickCount();
}
