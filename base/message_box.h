// The program's one way to show a message box, for every floor. Owned by the main window
// once it exists (base/message_box_win32.h); the boxes of device selection, the settings
// load and the bitmaps come before it and so have no owner.
#ifndef BASE_MESSAGE_BOX_H
#define BASE_MESSAGE_BOX_H

// type: the MB_ icon and button flags. Returns the button pressed (IDOK, IDCANCEL, ...).
int showMessage(const char* text, const char* caption, unsigned int type);

#endif
