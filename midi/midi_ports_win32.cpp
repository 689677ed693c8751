#include "midi/midi_ports.h"

#include <windows.h>
#include <mmsystem.h>

#include "base/ascii_text.h"
#include "base/message_box.h"
#include "base/platform_hooks.h"
#include "midi/midi_analysis.h"

static_assert(kPortNameCapacity == MAXPNAMELEN + 1);

static HMIDIIN midiInput;
static HMIDIOUT midiOutput;

static void showMidiError(const char* text, const char* portName) {
  showMessage(text, portName, MB_ICONWARNING | MB_OK);
}

// The one way a port's name is read, for device selection and for the opens alike.
template <typename Caps, typename GetCaps>
static bool readPortName(GetCaps getCaps, UINT port, char* name) {
  Caps caps;
  if (getCaps(port, &caps, sizeof(caps)) != MMSYSERR_NOERROR) {
    return false;
  }
  copyFixedField(name, kPortNameCapacity, caps.szPname, sizeof(caps.szPname));
  return true;
}

// Port number of the unit's name in one direction, or -1. The scan does not stop at a
// match: of several ports with the unit's name the highest-numbered one is used.
template <typename Caps, typename GetCaps>
static int findPort(UINT count, GetCaps getCaps, const char* portName) {
  int found = -1;
  for (UINT port = 0; port < count; ++port) {
    char name[kPortNameCapacity];
    if (readPortName<Caps>(getCaps, port, name) && sameNameIgnoringCase(name, portName)) {
      found = static_cast<int>(port);
    }
  }
  return found;
}

int midiInputPortCount() {
  return static_cast<int>(midiInGetNumDevs());
}

bool readMidiInputName(int port, char* name) {
  return readPortName<MIDIINCAPSA>(midiInGetDevCapsA, static_cast<UINT>(port), name);
}

static void CALLBACK midiInputCallback(HMIDIIN, UINT kind, DWORD_PTR, DWORD_PTR word,
                                       DWORD_PTR timestamp) {
  if (kind == MIM_DATA) {
    analyseShortMessage(static_cast<uint32_t>(word), static_cast<uint32_t>(timestamp));
  }
}

bool openMidiInput(const char* portName) {
  int port = findPort<MIDIINCAPSA>(midiInGetNumDevs(), midiInGetDevCapsA, portName);
  if (port < 0) {
    showMidiError("Error initialising midi device.", portName);
    return false;
  }
  if (midiInOpen(&midiInput, static_cast<UINT>(port),
                 reinterpret_cast<DWORD_PTR>(midiInputCallback), 0,
                 CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    midiInput = nullptr;
    showMidiError("Error opening midi device.", portName);
    return false;
  }
  midiInStart(midiInput);
  return true;
}

bool openMidiOutput(const char* portName) {
  int port = findPort<MIDIOUTCAPSA>(midiOutGetNumDevs(), midiOutGetDevCapsA, portName);
  if (port < 0) {
    showMidiError("Error initialising midi device.", portName);
    return false;
  }
  if (midiOutOpen(&midiOutput, static_cast<UINT>(port), 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    midiOutput = nullptr;
    showMidiError("Error opening midi device.", portName);
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
