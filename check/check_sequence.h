// The pages of the run and what each puts under test.
#ifndef CHECK_CHECK_SEQUENCE_H
#define CHECK_CHECK_SEQUENCE_H

#include "check/model_check.h"

void checkSequence(ModelCheck& model);

#endif
