#include "audio/asio_host.h"

#include <cstring>

AsioFacts asioFacts;
AsioHost asioHost;

void clearAsioHost() {
  asioFacts.inputCount.set(0);
  asioFacts.outputCount.set(0);
  for (auto& level : asioFacts.inputLevels) {
    level.set(0);
  }
  asioHost.driver.set(nullptr);
  asioHost.preferredBufferSize = 0;
  asioHost.inputLatency = asioHost.outputLatency = 0;
  asioHost.sampleRate = 0;
  std::memset(asioHost.bufferInfos, 0, sizeof asioHost.bufferInfos);
  std::memset(asioHost.channelInfos, 0, sizeof asioHost.channelInfos);
  asioHost.hostCallbacks = {};
  asioHost.audioRunning = false;
  asioHost.driverStarted = false;
  asioHost.abandonedRunning = false;
}
