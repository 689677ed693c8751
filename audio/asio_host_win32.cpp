#include "audio/asio_host.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "audio/asio_driver.h"
#include "audio/driver_guard.h"
#include "audio/loop_sample.h"
#include "base/ascii_text.h"
#include "base/message_box.h"
#include "base/registry_win32.h"
#include "config/device_select.h"
#include "config/settings.h"

#include <objbase.h>

constexpr double kRequestedRate = 44100.0;
constexpr size_t kRegistryText = 128;  // CLSID, Description and subkey names
// A value of 127 characters, its terminator and the spare byte the registry reader keeps.
constexpr DWORD kRegistryValueCapacity = kRegistryText + 1;
constexpr size_t kClsidLength = 38;  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"

static const char kAsioKey[] = "software\\asio";
static const char kInitialisingError[] =
    "There was an error initialising the selected ASIO Driver.";
static const char kOpeningError[] = "There was an error opening the selected ASIO Driver.";
static const char kStartingError[] = "There was an error starting the selected ASIO Driver.";

// The selected driver's class: the last matching registry entry found by findDriver.
static CLSID clsid;

// Set while the control-panel command runs (window thread only).
static bool panelCommandRunning = false;

// Runs body, which calls into the driver, under the fault guard. A driver that faulted is in
// an unknown state: its instance is abandoned without Release (which would run its code
// again), its module stays loaded for whatever threads it still runs, and false tells the
// caller to give up on it.
template <typename Body>
static bool guardDriver(Body body) {
  if (runGuarded([](void* context) { (*static_cast<Body*>(context))(); }, &body) == 0) {
    return true;
  }
  pinObjectModule(asioHost.driver.get());
  abandonDriver();
  return false;
}

static bool audioError(const char* text) {
  showMessage(text, asioDriverName, MB_ICONEXCLAMATION | MB_OK);
  return false;
}

// A string value of at most 127 characters; anything else reads as empty.
static void readRegistryText(HKEY key, const char* name, char* text) {
  DWORD type = REG_NONE;
  if (!readRegistryString(key, name, text, kRegistryValueCapacity, &type) || type != REG_SZ) {
    text[0] = '\0';
  }
}

// The CLSID and Description of one driver entry; an entry without a description is known
// by its subkey name.
static bool readDriverEntry(const char* name, char* clsidText, char* description) {
  char path[2 * kRegistryText];
  std::snprintf(path, sizeof path, "%s\\%s", kAsioKey, name);
  RegistryKey key(HKEY_LOCAL_MACHINE, path);
  if (!key.open()) {
    return false;
  }
  readRegistryText(key.key, "CLSID", clsidText);
  readRegistryText(key.key, "Description", description);
  if (description[0] == '\0') {
    std::snprintf(description, kRegistryText, "%s", name);
  }
  return true;
}

static bool parseClsid(const char* text) {
  if (std::strlen(text) != kClsidLength) {
    return false;
  }
  wchar_t wide[kClsidLength + 1];
  for (size_t i = 0; i <= kClsidLength; ++i) {
    wide[i] = static_cast<unsigned char>(text[i]);
  }
  CLSID parsed;
  if (FAILED(CLSIDFromString(wide, &parsed))) {
    return false;
  }
  clsid = parsed;
  return true;
}

// The class serves as its own interface identifier: IASIO has no IID of its own.
static bool createDriverInstance() {
  void* instance = nullptr;
  const HRESULT result = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, clsid, &instance);
  asioHost.driver.set(SUCCEEDED(result) ? static_cast<IASIO*>(instance) : nullptr);
  return SUCCEEDED(result);
}

// Learns the candidate's channel counts and buffer size through an instance of its own,
// which is given back at once; a candidate that fails leaves no channels.
static void probeCandidate(const char* clsidText, HWND window) {
  if (!parseClsid(clsidText)) {
    asioFacts.inputCount.set(0);
    asioFacts.outputCount.set(0);
    return;
  }
  guardDriver([window] {
    if (!createDriverInstance()) {
      asioFacts.inputCount.set(0);
      asioFacts.outputCount.set(0);
      return;
    }
    probeDriver(window);
    releaseDriver();
  });
}

// Every entry whose description matches is tried in registry order, and the last one
// decides: it must have been created, initialised and probed with at least one output.
static bool findDriver(HWND window) {
  RegistryKey asioKey(HKEY_LOCAL_MACHINE, kAsioKey);
  if (!asioKey.open()) {
    return false;
  }
  bool matched = false;
  char name[kRegistryText];
  for (DWORD index = 0;; ++index) {
    const LONG listed = RegEnumKeyA(asioKey.key, index, name, sizeof name);
    // A subkey name too long for the buffer is not a driver this program could name; the
    // drivers after it still are.
    if (listed == ERROR_MORE_DATA) {
      continue;
    }
    if (listed != ERROR_SUCCESS) {
      break;
    }
    char clsidText[kRegistryValueCapacity];
    char description[kRegistryValueCapacity];
    if (!readDriverEntry(name, clsidText, description) || clsidText[0] == '\0' ||
        !sameNameIgnoringCase(description, asioDriverName)) {
      continue;
    }
    matched = true;
    probeCandidate(clsidText, window);
  }
  return matched && asioFacts.outputCount.get() != 0;
}

// True when a fresh instance is open at rate (an instance that could not be initialised
// is already given back).
static bool openDriver(HWND window, double rate) {
  return createDriverInstance() && initDriverAtRate(window, rate) == ASE_OK;
}

bool startAudio(void* window) {
  const HWND owner = static_cast<HWND>(window);
  asioHost.audioRunning = false;
  if (asioDriverName[0] == '\0') {
    return true;  // a unit without audio
  }
  if (!findDriver(owner)) {
    return audioError(kInitialisingError);
  }
  bool opened = false;
  guardDriver([&] { opened = openDriver(owner, kRequestedRate); });
  if (!opened) {
    return audioError(kOpeningError);
  }
  loadLoopSample(settings.loopPath);
  bool started = false;
  guardDriver([&] { started = createAudioBuffers() == ASE_OK && startDriver() == ASE_OK; });
  if (!started) {
    return audioError(kStartingError);
  }
  asioHost.audioRunning = true;
  return true;
}

void stopAudio() {
  guardDriver([] {
    stopDriver();
    if (asioHost.audioRunning) {
      releaseDriver();
    }
  });
  // An instance abandoned while started (now, or earlier in the run) may still be calling
  // the stream handlers, which read the loop sample: it stays until the process ends.
  if (!asioHost.abandonedRunning) {
    freeLoopSample();
  }
}

// Stops and gives back the streaming instance, shows the panel of a fresh one, then opens
// yet another and streams again with whatever the driver now reports. Failures are
// silent: the test goes on without audio.
static bool reopenAroundPanel(HWND window) {
  stopDriver();
  releaseDriver();
  openDriver(window, kRequestedRate);
  IASIO* panelDriver = asioHost.driver.get();
  if (panelDriver == nullptr) {
    return false;  // the driver could not be reopened
  }
  panelDriver->controlPanel();
  releaseDriver();
  // The panel's loop dispatched the window's messages: Exit, the close box or the end of the
  // run may have destroyed the window meanwhile. The program is then shutting down, and a
  // driver started now would stream to a window that is gone. The quit message is posted
  // again, since a panel's loop may have taken it and the program's own would then wait
  // for ever.
  if (!IsWindow(window)) {
    PostQuitMessage(0);
    return true;
  }
  openDriver(window, kRequestedRate);
  if (asioHost.driver.get() != nullptr && createAudioBuffers() == ASE_OK) {
    startDriver();
  }
  return true;
}

bool showDriverControlPanel(void* window) {
  // A unit without audio has no driver class: creating the empty class would only hand
  // COM whatever server happens to be registered under it.
  if (IsEqualCLSID(clsid, GUID_NULL)) {
    return false;
  }
  // An abandoned instance may still stream from the tables: reopening would rewrite them
  // under its thread.
  if (asioHost.abandonedRunning) {
    return false;
  }
  // A driver's panel may run a message loop of its own, and one without an owner leaves
  // the menu usable: the command can arrive again before the panel has closed.
  if (panelCommandRunning) {
    return false;
  }
  panelCommandRunning = true;
  bool shown = false;
  guardDriver([&] { shown = reopenAroundPanel(static_cast<HWND>(window)); });
  panelCommandRunning = false;
  return shown;
}

// The driver's panel runs on this thread: its windows are this thread's visible top-level
// windows other than the main window.
static BOOL CALLBACK closePanelWindow(HWND window, LPARAM mainWindow) {
  if (window != reinterpret_cast<HWND>(mainWindow) && IsWindowVisible(window) &&
      GetWindow(window, GW_OWNER) == nullptr) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

void closeDriverPanel(void* window) {
  if (panelCommandRunning) {
    EnumThreadWindows(GetCurrentThreadId(), closePanelWindow, reinterpret_cast<LPARAM>(window));
  }
}

bool describeAsioDriver(AsioSummary& summary) {
  // The run's facts are taken before the driver is called: a driver that faults in
  // getDriverName is abandoned, which leaves no channels, yet the run had them. Its name is
  // then empty, as for a driver without one.
  summary = {};
  summary.outputCount = asioFacts.outputCount.get();
  summary.inputCount = asioFacts.inputCount.get();
  summary.sampleRate = asioHost.sampleRate;
  summary.inputLatency = asioHost.inputLatency;
  summary.outputLatency = asioHost.outputLatency;
  if (!guardDriver([&] {
        if (IASIO* driver = asioHost.driver.get()) {
          driver->getDriverName(summary.driverName);
        }
      })) {
    summary.driverName[0] = '\0';
  }
  summary.driverName[sizeof summary.driverName - 1] = '\0';
  return summary.outputCount / 2 != 0 || summary.inputCount / 2 != 0;
}
