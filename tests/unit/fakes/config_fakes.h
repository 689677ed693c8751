// Recording stand-in for the audio rule's warning box of the settings load.
#ifndef TESTS_UNIT_FAKES_CONFIG_FAKES_H
#define TESTS_UNIT_FAKES_CONFIG_FAKES_H

extern int audioWarningCount;  // showAudioWarning() calls since the last reset

#endif
