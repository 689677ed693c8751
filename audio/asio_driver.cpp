#include "audio/asio_driver.h"

#include "audio/stream.h"

// A driver may report any count, even a negative one; only the first 32 of each direction
// are used, and every table is sized for those.
static int32_t usableChannels(int32_t reported) {
  return reported < 0 ? 0 : reported > kMaxAsioChannels ? kMaxAsioChannels : reported;
}

static void setChannelCounts(int32_t inputs, int32_t outputs) {
  asioFacts.inputCount.set(usableChannels(inputs));
  asioFacts.outputCount.set(usableChannels(outputs));
}

static bool noChannels() {
  setChannelCounts(0, 0);
  return false;
}

// One entry per usable channel, inputs first: the driver fills in each one's sample type.
static void queryChannelInfos() {
  const int32_t inputs = asioFacts.inputCount.get();
  const int32_t entries = inputs + asioFacts.outputCount.get();
  for (int32_t k = 0; k < entries; ++k) {
    ASIOChannelInfo& info = asioHost.channelInfos[k];
    info = {};
    info.isInput = k < inputs ? 1 : 0;
    info.channel = k < inputs ? k : k - inputs;
    asioHost.driver.get()->getChannelInfo(&info);
  }
}

// The preferred size is the only one the host asks for.
static ASIOError queryPreferredSize(int32_t& preferred) {
  int32_t minSize = 0, maxSize = 0, granularity = 0;
  preferred = 0;
  return asioHost.driver.get()->getBufferSize(&minSize, &maxSize, &preferred, &granularity);
}

bool probeDriver(void* window) {
  IASIO* driver = asioHost.driver.get();
  if (driver->init(window) == 0) {
    return noChannels();
  }
  int32_t inputs = 0, outputs = 0;
  if (driver->getChannels(&inputs, &outputs) != ASE_OK || (inputs == 0 && outputs == 0)) {
    return noChannels();
  }
  int32_t preferred = 0;
  if (queryPreferredSize(preferred) != ASE_OK || preferred <= 0) {
    return noChannels();
  }
  setChannelCounts(inputs, outputs);
  asioHost.preferredBufferSize = preferred;
  queryChannelInfos();
  return true;
}

ASIOError initDriverAtRate(void* window, double rate) {
  IASIO* driver = asioHost.driver.get();
  if (driver->init(window) == 0) {
    releaseDriver();
    return kHostRefused;
  }
  ASIOSampleRate current = 0;
  const bool known = driver->getSampleRate(&current) == ASE_OK;
  asioHost.sampleRate = rate;
  if (known && current == rate) {
    return ASE_OK;
  }
  if (driver->canSampleRate(rate) != ASE_OK || driver->setSampleRate(rate) != ASE_OK) {
    return kHostRefused;
  }
  return ASE_OK;
}

// Every half of every channel must exist: the stream handlers write them unchecked.
static bool buffersPresent(int32_t entries) {
  for (int32_t k = 0; k < entries; ++k) {
    if (asioHost.bufferInfos[k].buffers[0] == nullptr ||
        asioHost.bufferInfos[k].buffers[1] == nullptr) {
      return false;
    }
  }
  return true;
}

ASIOError createAudioBuffers() {
  IASIO* driver = asioHost.driver.get();
  int32_t inputs = 0, outputs = 0;
  ASIOError result = driver->getChannels(&inputs, &outputs);
  if (result != ASE_OK) {
    return result;
  }
  setChannelCounts(inputs, outputs);
  int32_t preferred = 0;
  result = queryPreferredSize(preferred);
  if (result != ASE_OK) {
    return result;
  }
  if (preferred <= 0) {
    return kHostRefused;
  }
  inputs = asioFacts.inputCount.get();
  outputs = asioFacts.outputCount.get();
  const int32_t entries = inputs + outputs;
  for (int32_t k = 0; k < entries; ++k) {
    asioHost.bufferInfos[k] = {k < inputs ? 1 : 0, k < inputs ? k : k - inputs, {}};
  }
  asioHost.preferredBufferSize = preferred;
  asioHost.hostCallbacks = {bufferSwitch, sampleRateDidChange, asioMessage, bufferSwitchTimeInfo};
  result = driver->createBuffers(asioHost.bufferInfos, entries, preferred, &asioHost.hostCallbacks);
  if (result != ASE_OK) {
    return result;
  }
  if (!buffersPresent(entries)) {
    return kHostRefused;
  }
  result = driver->getLatencies(&asioHost.inputLatency, &asioHost.outputLatency);
  if (result != ASE_OK) {
    return result;
  }
  queryChannelInfos();
  return ASE_OK;
}

ASIOError startDriver() {
  asioHost.driverStarted = true;  // a start that faults may have started its thread already
  const ASIOError result = asioHost.driver.get()->start();
  asioHost.driverStarted = result == ASE_OK;
  return result;
}

void stopDriver() {
  IASIO* driver = asioHost.driver.get();
  if (asioHost.audioRunning && driver != nullptr) {
    driver->stop();
    asioHost.driverStarted = false;
    driver->disposeBuffers();
  }
}

void releaseDriver() {
  if (IASIO* driver = asioHost.driver.get()) {
    driver->Release();
    asioHost.driver.set(nullptr);
  }
}

void abandonDriver() {
  asioHost.abandonedRunning = asioHost.abandonedRunning || asioHost.driverStarted;
  asioHost.driverStarted = false;
  asioHost.driver.set(nullptr);
  setChannelCounts(0, 0);
}
