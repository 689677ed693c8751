#include "ui/message_box.h"

#include "ui/main_window_win32.h"

int showMessage(const char* text, const char* caption, unsigned int type) {
  return MessageBoxA(mainWindow.get(), text, caption, type);
}
