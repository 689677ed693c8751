#include "midi/midi_ports.h"

#include <windows.h>
#include <mmsystem.h>

#include "app/ascii_text.h"
#include "config/device_select.h"
#include "midi/midi_analysis.h"
#include "ui/main_window_win32.h"

static HMIDIIN midiInput;
static HMIDIOUT midiOutput;

static void showMidiError(const char* text) {
  showMessage(text, selectedPortName, MB_ICONWARNING | MB_OK);
}

// Port number of the unit's name in one direction, or -1. The scan does not stop at a
// match: of several ports with the unit's name the highest-numbered one is used.
template <typename Caps, typename GetCaps>
static int findPort(UINT count, GetCaps getCaps) {
  int found = -1;
  for (UINT port = 0; port < count; ++port) {
    Caps caps;
    if (getCaps(port, &caps, sizeof(caps)) == MMSYSERR_NOERROR &&
        sameNameIgnoringCase(caps.szPname, selectedPortName)) {
      found = static_cast<int>(port);
    }
  }
  return found;
}

static int findInputPort() {
  return findPort<MIDIINCAPSA>(midiInGetNumDevs(), midiInGetDevCapsA);
}

static int findOutputPort() {
  return findPort<MIDIOUTCAPSA>(midiOutGetNumDevs(), midiOutGetDevCapsA);
}

static void CALLBACK midiInputCallback(HMIDIIN, UINT kind, DWORD_PTR, DWORD_PTR word,
                                       DWORD_PTR timestamp) {
  if (kind == MIM_DATA) {
    analyseShortMessage(static_cast<uint32_t>(word), static_cast<uint32_t>(timestamp));
  }
}

bool openMidiInput() {
  int port = findInputPort();
  if (port < 0) {
    showMidiError("Error initialising midi device.");
    return false;
  }
  if (midiInOpen(&midiInput, static_cast<UINT>(port),
                 reinterpret_cast<DWORD_PTR>(midiInputCallback), 0,
                 CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    midiInput = nullptr;
    showMidiError("Error opening midi device.");
    return false;
  }
  midiInStart(midiInput);
  return true;
}

bool openMidiOutput() {
  int port = findOutputPort();
  if (port < 0) {
    showMidiError("Error initialising midi device.");
    return false;
  }
  if (midiOutOpen(&midiOutput, static_cast<UINT>(port), 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    midiOutput = nullptr;
    showMidiError("Error opening midi device.");
    return false;
  }
  return true;
}

void closeMidiInput() {
  midiInStop(midiInput);
  midiInReset(midiInput);
  midiInClose(midiInput);
}

void closeMidiOutput() {
  midiOutReset(midiOutput);
  midiOutClose(midiOutput);
}

void sendMidiShortMessage(uint32_t word) {
  midiOutShortMsg(midiOutput, word);
}
