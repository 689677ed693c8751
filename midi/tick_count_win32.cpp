#include <windows.h>

#include "midi/note_receive.h"

uint32_t systemTickCount() {
  return GetTickCount();
}
