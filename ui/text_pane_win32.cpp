#include "base/platform_hooks.h"
#include "ui/main_window_win32.h"

// The MIDI thread hands texts to the window thread and waits until it has taken them. The
// wait is bounded: should the window thread itself be waiting on the MIDI port (stopping it
// on the way out), the text is dropped rather than both threads waiting for ever.
static void handOverText(HWND window, const char* text) {
  constexpr UINT kHandOverMilliseconds = 2000;
  SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                      kHandOverMilliseconds, nullptr);
}

void setMainWindowTitle(const char* title) {
  HWND window = mainWindow.get();
  if (window) {
    handOverText(window, title);
  }
}

void setTextPaneText(const char* text) {
  handOverText(textPane.get(), text);
}
