// Entry point: start-up in a fixed order, the message loop with its 100 ms tick, shutdown.
#include <windows.h>

#include "audio/asio_host.h"
#include "config/device_select.h"
#include "config/path_rule.h"
#include "config/settings.h"
#include "midi/midi_ports.h"
#include "resource.h"
#include "ui/main_window_win32.h"
#include "ui/panel_win32.h"

#include <objbase.h>

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

// What start-up got as far as: the one shutdown tail gives back exactly that. A failed
// start-up ends the process at once, so COM is uninitialised only after a run.
struct StartedParts {
  bool panelBitmaps, audio, midiInput, midiOutput, ran;
};

// Start-up in its fixed order, then the message loop; stops at the first part that fails
// (which has shown its own message). Returns the exit code.
static int startAndRun(HINSTANCE instance, int showCommand, StartedParts& started) {
  registerWindowClass(instance);
  findExeFolder();
  if (!selectDevice()) {
    return 0;
  }
  loadSettings();
  // A load that stops at a picture it cannot open keeps the ones before it: shutdown gives
  // those back too (deleting one never loaded does nothing).
  started.panelBitmaps = true;
  if (!loadPanelBitmaps()) {
    return 0;
  }
  if (!createMainWindow(instance, showCommand)) {
    return 0;
  }
  CoInitialize(nullptr);
  if (!startAudio(mainWindow.get())) {
    return 0;
  }
  started.audio = true;
  if (!openMidiInput(selectedPortName)) {
    return 0;
  }
  started.midiInput = true;
  if (!openMidiOutput(selectedPortName)) {
    return 0;
  }
  started.midiOutput = true;
  SetTimer(mainWindow.get(), kTickTimer, kTickMilliseconds, nullptr);
  started.ran = true;
  return runMessageLoop(instance);
}

// The MIDI input goes first (its thread may still call in), then the output, the audio, the
// panel's bitmaps and COM.
static void shutDown(const StartedParts& started) {
  if (started.midiInput) {
    closeMidiInput();
  }
  if (started.midiOutput) {
    closeMidiOutput();
  }
  if (started.audio) {
    stopAudio();
  }
  if (started.panelBitmaps) {
    deletePanelBitmaps();
  }
  if (started.ran) {
    CoUninitialize();
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  StartedParts started = {};
  const int exitCode = startAndRun(instance, showCommand, started);
  shutDown(started);
  return exitCode;
}
