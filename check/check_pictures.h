// The lit pictures against the unlit one.
#ifndef CHECK_CHECK_PICTURES_H
#define CHECK_CHECK_PICTURES_H

#include "check/model_check.h"

void checkPictures(ModelCheck& model);

#endif
