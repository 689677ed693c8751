// The controls' rectangles.
#ifndef CHECK_CHECK_CONTROLS_H
#define CHECK_CHECK_CONTROLS_H

#include "check/model_check.h"

void checkControls(ModelCheck& model);

#endif
