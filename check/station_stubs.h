// The checker links the station's loader and sequence rules but runs none of its windows,
// MIDI or reports; the calls they make into those do nothing here.
#ifndef CHECK_STATION_STUBS_H
#define CHECK_STATION_STUBS_H

// Set when the settings load would have shown its audio warning ("Velk Audio").
extern bool audioWarningShown;

#endif
