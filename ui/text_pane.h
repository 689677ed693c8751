// The instruction text pane: the page's text file plus the MIDI link status lines, and the
// channel flags in the window title on request.
#ifndef UI_TEXT_PANE_H
#define UI_TEXT_PANE_H

#include <cstddef>

constexpr size_t kPageTextCapacity = 1024;
// The composed text: a page's bytes plus the two status lines and a terminator.
constexpr size_t kPaneTextCapacity = kPageTextCapacity + 96;
constexpr size_t kTitleCapacity = 64;

// Exported for the tests.
// Fills buffer (size bytes, zeroed first) from the file of a step position and page
// (page -1: the step's own key). Never writes past size bytes.
void loadPageText(int step, char* buffer, size_t size, int page);
// The page text for the current position with the status lines; always terminated.
void composePaneText(char* out, size_t capacity);
// The program name, " - " and the 16 channel flags; always terminated.
void composeWindowTitle(char* out, size_t capacity);

#endif
