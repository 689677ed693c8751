// The settings record lives apart from its loader so that readers of the layout do not
// pull in the profile reads and the audio warning.
#include "config/settings.h"

Settings settings;
