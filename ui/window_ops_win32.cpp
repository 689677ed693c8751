#include "base/platform_hooks.h"
#include "ui/main_window_win32.h"

void repaintMainWindow() {
  InvalidateRect(mainWindow.get(), nullptr, TRUE);
}

void setContinueCaption(const char* caption) {
  SetWindowTextA(continueButton, caption);
}

void destroyMainWindow() {
  DestroyWindow(mainWindow.get());
}
