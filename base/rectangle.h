// A rectangle on the main window, as the settings file gives it: left, top, width, height
// in pixels (a control, the text pane, the buttons).
#ifndef BASE_RECTANGLE_H
#define BASE_RECTANGLE_H

#include <cstdint>

struct ControlRect {
  int32_t x, y, width, height;
};

#endif
