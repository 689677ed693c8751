#include <windows.h>

#include "config/settings.h"

void showAudioWarning() {
  MessageBoxA(nullptr,
              "There was an error initialising the ASIO driver for the selected Velk.\r\n\r\n"
              "Audio Tests will not be available.",
              "Velk Audio", MB_ICONWARNING | MB_OK);
}
