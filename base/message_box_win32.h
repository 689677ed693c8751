// The window that owns the program's message boxes and its save dialog. Boxes shown before
// it exists (device selection, the settings load, the bitmaps) have no owner.
#ifndef BASE_MESSAGE_BOX_WIN32_H
#define BASE_MESSAGE_BOX_WIN32_H

#include <windows.h>

// Called by the main window once, when it has been created.
void setMessageOwner(HWND window);
// The owner so far, or null.
HWND messageOwner();

#endif
