// What the portable code asks of the platform and of the floors above it, declared once so
// that every floor can call it without including a header above its own. On Windows each
// hook is implemented beside the Windows state it touches (the window handles, the panel's
// pictures, the output port, the save dialog: see CONTRIBUTING.md, "Files"); everywhere
// else, by the one recording fake (tests/fakes/platform_fake.h).
#ifndef BASE_PLATFORM_HOOKS_H
#define BASE_PLATFORM_HOOKS_H

#include <cstdint>

// The main window, called on the window thread by the sequence.
void repaintMainWindow();  // whole window, background erased
void setContinueCaption(const char* caption);
void destroyMainWindow();

// Draws one control red until passed, green once passed; called on the window thread
// (painting) and on the MIDI callback thread the moment a control passes.
void drawNoteControl(int index);
void drawControllerControl(int index);

// Rebuilds the pane's text and the window title (ui/text_pane.cpp); called from the window
// thread and the MIDI callback thread.
void refreshTextPane();
// Hand a composed title or pane text to the windows; the title only while the window lives.
void setMainWindowTitle(const char* title);
void setTextPaneText(const char* text);

// One MIDI message to the unit's output port.
void sendMidiShortMessage(uint32_t word);
// Milliseconds since system start (GetTickCount on Windows).
uint32_t systemTickCount();

// The audio rule's warning of the settings load ("Velk Audio").
void showAudioWarning();
// Asks whether to save the report and where, and writes it.
void offerReport();

#endif
