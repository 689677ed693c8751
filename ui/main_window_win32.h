// The main window, its three children and the About box.
#ifndef UI_MAIN_WINDOW_WIN32_H
#define UI_MAIN_WINDOW_WIN32_H

#include <windows.h>

#include "base/shared_word.h"

// The two texts of the string table are held in buffers of this size: the window's title
// and its class name.
constexpr int kResourceTextCapacity = 100;
// Both read from the string table by registerWindowClass, their only writer.
extern char windowTitle[kResourceTextCapacity];
extern char windowClassName[kResourceTextCapacity];

// The window's one timer: every tick runs the meters, the LED flashing and the auto-advance.
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMilliseconds = 100;

// Published last in creation; read by the MIDI thread for drawing and text.
extern Shared<HWND> mainWindow;
// The children the text pane's and the window operations' Windows layers write to; the
// MIDI thread sets the pane's text.
extern Shared<HWND> textPane;
extern HWND continueButton;

// Loads the title and class name, then registers the class.
void registerWindowClass(HINSTANCE instance);
bool createMainWindow(HINSTANCE instance, int showCommand);

#endif
