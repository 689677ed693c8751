// What the portable logic asks of the main window. Implemented by the Win32 layer; the
// native unit tests record the calls instead.
#ifndef UI_WINDOW_OPS_H
#define UI_WINDOW_OPS_H

void repaintMainWindow();  // whole window, background erased
void setContinueCaption(const char* caption);
void destroyMainWindow();

#endif
