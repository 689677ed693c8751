#include "report/report.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "audio/asio_host.h"
#include "base/ascii_text.h"
#include "base/message_box.h"
#include "base/message_box_win32.h"
#include "base/platform_hooks.h"
#include "base/program_facts.h"

#include <commdlg.h>

// The save dialog may fill 255 characters and a terminator; the name buffer is larger so
// that ".txt" still fits after a name of full length.
constexpr DWORD kDialogNameCapacity = 256;
constexpr size_t kReportNameCapacity = 260;

// name: the report's name; confirmed: the name the dialog gave, before ".txt" was added.
static bool askReportPath(char* name, char* confirmed) {
  memset(name, 0, kDialogNameCapacity);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = messageOwner();
  dialog.lpstrFilter = "Velk Test Results (*.txt)\0*.txt\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name;
  dialog.nMaxFile = kDialogNameCapacity;
  dialog.Flags = OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameA(&dialog)) {
    return false;
  }
  snprintf(confirmed, kReportNameCapacity, "%s", name);
  applyReportExtension(name, kReportNameCapacity);
  return true;
}

// The dialog asked about the name it returned; when ".txt" makes it another file's name,
// that file would be replaced without a word: the operator is asked here instead.
static bool mayReplace(const char* name, const char* confirmed) {
  const DWORD attributes = GetFileAttributesA(name);
  if (sameNameIgnoringCase(name, confirmed) || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return true;
  }
  char text[kReportNameCapacity + 64];
  snprintf(text, sizeof(text), "%s already exists.\r\nDo you want to replace it?", name);
  return showMessage(text, kProgramName, MB_ICONWARNING | MB_YESNO) == IDYES;
}

// The driver is asked for its name only while the section is written: not for a report
// that could not be created, nor when one output and one input (no whole pair) leave the
// report without the section.
static bool describeAsioSection(AsioSummary& summary) {
  return hasAsioSection(asioFacts.outputCount.get(), asioFacts.inputCount.get()) &&
         describeAsioDriver(summary);
}

void offerReport() {
  if (showMessage("Would you like to save the results of your Velk test?", kProgramName,
                  MB_ICONQUESTION | MB_YESNO) != IDYES) {
    return;
  }
  char name[kReportNameCapacity];
  char confirmed[kReportNameCapacity];
  // A report that could not be written is never taken as saved: the operator is told and
  // may choose another name, or cancel the dialog to leave without one. A No to replacing
  // an earlier report goes back to the dialog as well.
  while (askReportPath(name, confirmed)) {
    if (!mayReplace(name, confirmed)) {
      continue;
    }
    if (writeReportFile(name, describeAsioSection)) {
      return;
    }
    char text[kReportNameCapacity + 128];
    snprintf(text, sizeof(text),
             "The results could not be saved to\r\n%s\r\n\r\nPlease choose another name.", name);
    showMessage(text, kProgramName, MB_ICONWARNING | MB_OK);
  }
}
