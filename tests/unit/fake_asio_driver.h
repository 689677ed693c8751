// A scriptable in-memory IASIO for the host and stream tests: answers from its fields,
// records every call by name, and owns the buffers it hands out.
#ifndef TESTS_UNIT_FAKE_ASIO_DRIVER_H
#define TESTS_UNIT_FAKE_ASIO_DRIVER_H

#include <cstring>
#include <string>
#include <vector>

#include "audio/asio.h"

struct FakeAsioDriver : IASIO {
  ASIOBool initResult = 1;
  ASIOError channelsResult = ASE_OK, bufferSizeResult = ASE_OK, createResult = ASE_OK;
  ASIOError latenciesResult = ASE_OK, sampleRateResult = ASE_OK, canRateResult = ASE_OK;
  ASIOError setRateResult = ASE_OK, positionResult = ASE_OK, startResult = ASE_OK;
  int32_t inputs = 2, outputs = 2, preferredSize = 64;
  double currentRate = 44100.0;
  ASIOSampleType sampleType = ASIOSTInt16LSB;
  bool nullFirstBuffer = false;
  std::vector<std::string> calls;
  std::vector<ASIOChannelInfo> channelQueries;  // what getChannelInfo was asked
  std::vector<ASIOBufferInfo> bufferRequest;    // what createBuffers was asked
  std::vector<std::vector<unsigned char>> storage;
  ASIOCallbacks* callbacks = nullptr;

  int count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) {
      n += c == call ? 1 : 0;
    }
    return n;
  }

  int32_t QueryInterface(const AsioGuid&, void**) override { return -1; }
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override {
    calls.push_back("Release");
    return 0;
  }
  ASIOBool init(void*) override {
    calls.push_back("init");
    return initResult;
  }
  void getDriverName(char* name) override { std::strcpy(name, "Fake ASIO"); }
  int32_t getDriverVersion() override { return 1; }
  void getErrorMessage(char* text) override { text[0] = '\0'; }
  ASIOError start() override {
    calls.push_back("start");
    return startResult;
  }
  ASIOError stop() override {
    calls.push_back("stop");
    return ASE_OK;
  }
  ASIOError getChannels(int32_t* in, int32_t* out) override {
    calls.push_back("getChannels");
    *in = inputs;
    *out = outputs;
    return channelsResult;
  }
  ASIOError getLatencies(int32_t* in, int32_t* out) override {
    calls.push_back("getLatencies");
    *in = 111;
    *out = 222;
    return latenciesResult;
  }
  ASIOError getBufferSize(int32_t* minSize, int32_t* maxSize, int32_t* preferred,
                          int32_t* granularity) override {
    calls.push_back("getBufferSize");
    *minSize = 16;
    *maxSize = 2048;
    *preferred = preferredSize;
    *granularity = -1;
    return bufferSizeResult;
  }
  ASIOError canSampleRate(ASIOSampleRate) override {
    calls.push_back("canSampleRate");
    return canRateResult;
  }
  ASIOError getSampleRate(ASIOSampleRate* rate) override {
    calls.push_back("getSampleRate");
    *rate = currentRate;
    return sampleRateResult;
  }
  ASIOError setSampleRate(ASIOSampleRate rate) override {
    calls.push_back("setSampleRate");
    currentRate = rate;
    return setRateResult;
  }
  ASIOError getClockSources(ASIOClockSource*, int32_t*) override { return ASE_NotPresent; }
  ASIOError setClockSource(int32_t) override { return ASE_NotPresent; }
  ASIOError getSamplePosition(ASIOSamples* position, ASIOTimeStamp* stamp) override {
    calls.push_back("getSamplePosition");
    *position = {0, 4096};
    *stamp = {0, 1};
    return positionResult;
  }
  ASIOError getChannelInfo(ASIOChannelInfo* info) override {
    channelQueries.push_back(*info);
    info->type = sampleType;
    return ASE_OK;
  }
  ASIOError createBuffers(ASIOBufferInfo* infos, int32_t entries, int32_t frames,
                          ASIOCallbacks* given) override {
    calls.push_back("createBuffers");
    callbacks = given;
    bufferRequest.assign(infos, infos + entries);
    storage.assign(2 * entries, std::vector<unsigned char>(8 * frames, 0xEE));
    for (int32_t k = 0; k < entries; ++k) {
      infos[k].buffers[0] = storage[2 * k].data();
      infos[k].buffers[1] = storage[2 * k + 1].data();
    }
    if (nullFirstBuffer && entries > 0) {
      infos[0].buffers[0] = nullptr;
    }
    return createResult;
  }
  ASIOError disposeBuffers() override {
    calls.push_back("disposeBuffers");
    return ASE_OK;
  }
  ASIOError controlPanel() override { return ASE_OK; }
  ASIOError future(int32_t, void*) override { return ASE_NotPresent; }
  ASIOError outputReady() override { return ASE_NotPresent; }
};

#endif
