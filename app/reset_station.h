// Every process-wide record of the station back to its program-start state, in one place:
// the tests, the fuzz targets, the benchmarks, the model checker and the results tool start
// each run from here instead of clearing their own choice of tables.
#ifndef APP_RESET_STATION_H
#define APP_RESET_STATION_H

// Each owner resets its own records; a record added later gets its owner's reset called
// here (the unit test of this function lists the records the headers declare). Never while
// the MIDI input or a driver is running. The Windows-only records (window handles) are
// set once at start-up and are not reset.
void resetStation();

#endif
