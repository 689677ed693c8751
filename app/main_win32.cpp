// Entry point: start-up in a fixed order, the message loop with its 100 ms tick, shutdown.
#include <windows.h>
#include <objbase.h>

#include <cstring>

#include "audio/asio_host.h"
#include "config/device_select.h"
#include "config/settings.h"
#include "midi/midi_ports.h"
#include "resource.h"
#include "ui/main_window_win32.h"
#include "ui/panel_win32.h"

// The executable's folder with its trailing backslash. A path cut short by the buffer still
// ends at a backslash when one is left in it.
static void findExeFolder() {
  GetModuleFileNameA(nullptr, exeFolder, kPathCapacity - 1);
  exeFolder[kPathCapacity - 1] = '\0';
  for (size_t i = strlen(exeFolder); i-- > 1;) {
    if (exeFolder[i] == '\\') {
      exeFolder[i + 1] = '\0';
      break;
    }
  }
}

static int runMessageLoop(HINSTANCE instance) {
  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDC_VELKANALYSER));
  MSG message;
  BOOL got;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) {
      continue;
    }
    if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof(windowTitle));
  LoadStringA(instance, IDC_VELKANALYSER, windowClassName, sizeof(windowClassName));
  registerWindowClass(instance);
  findExeFolder();
  if (!selectDevice()) {
    return 0;
  }
  loadSettings();
  if (!loadPanelBitmaps()) {
    return 0;
  }
  if (!createMainWindow(instance, showCommand)) {
    deletePanelBitmaps();
    return 0;
  }
  CoInitialize(nullptr);
  if (!startAudio(mainWindow.get())) {
    deletePanelBitmaps();
    return 0;
  }
  if (!openMidiInput(selectedPortName)) {
    stopAudio();
    deletePanelBitmaps();
    return 0;
  }
  if (!openMidiOutput(selectedPortName)) {
    closeMidiInput();
    stopAudio();
    deletePanelBitmaps();
    return 0;
  }
  SetTimer(mainWindow.get(), kTickTimer, kTickMilliseconds, nullptr);
  int exitCode = runMessageLoop(instance);
  closeMidiInput();
  closeMidiOutput();
  stopAudio();
  deletePanelBitmaps();
  CoUninitialize();
  return exitCode;
}
