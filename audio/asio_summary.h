// What the report's "[ASIO Driver]" section says about the open driver: filled by the audio
// host, written by the report. A record of its own so that the report includes the audio
// host's facts without the host including the report.
#ifndef AUDIO_ASIO_SUMMARY_H
#define AUDIO_ASIO_SUMMARY_H

#include <cstdint>

struct AsioSummary {
  char driverName[128];  // empty: no name line
  int32_t outputCount, inputCount;
  double sampleRate;
  int32_t inputLatency, outputLatency;
};

#endif
