// The main window's children: the panel picture with its frame, the meters, the text pane and
// the two buttons, inside the client area and clear of each other.
#ifndef CHECK_CHECK_LAYOUT_H
#define CHECK_CHECK_LAYOUT_H

#include "check/model_check.h"

void checkLayout(ModelCheck& model);

#endif
