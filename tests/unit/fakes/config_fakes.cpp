#include "fakes/config_fakes.h"

#include "config/settings.h"

int audioWarningCount = 0;

void showAudioWarning() {
  ++audioWarningCount;
}
