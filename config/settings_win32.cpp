#include <windows.h>

#include "base/message_box.h"
#include "base/platform_hooks.h"

void showAudioWarning() {
  showMessage(
      "There was an error initialising the ASIO driver for the selected Velk.\r\n\r\n"
      "Audio Tests will not be available.",
      "Velk Audio", MB_ICONWARNING | MB_OK);
}
