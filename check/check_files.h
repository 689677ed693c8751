// The files a model names: bitmaps, loop sample, text pages, videos.
#ifndef CHECK_CHECK_FILES_H
#define CHECK_CHECK_FILES_H

#include "check/model_check.h"

void checkFiles(ModelCheck& model);

#endif
