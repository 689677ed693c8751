#include "base/run_position.h"

Shared<int32_t> currentStep{0};
Shared<int32_t> currentPage{0};
Shared<int32_t> currentPair{0};
