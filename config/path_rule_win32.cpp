#include "config/path_rule.h"

#include <windows.h>

#include <cstring>

// A path cut short by the buffer still ends at a backslash when one is left in it.
void findExeFolder() {
  GetModuleFileNameA(nullptr, exeFolder, kPathCapacity - 1);
  exeFolder[kPathCapacity - 1] = '\0';
  for (size_t i = strlen(exeFolder); i-- > 1;) {
    if (exeFolder[i] == '\\') {
      exeFolder[i + 1] = '\0';
      break;
    }
  }
}
