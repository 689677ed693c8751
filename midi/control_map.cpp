#include "midi/control_map.h"

ControlMap controlMap;
ChannelFilter channelFilter;

int resolveControlIndex(ControlKind kind, int channelNibble, int number) {
  const int16_t* defined =
      kind == ControlKind::Note ? controlMap.noteDefined : controlMap.controllerDefined;
  const int index = channelIndex(channelNibble + 1, number);
  return defined[index] != 0 ? index : anyChannelIndex(number);
}

bool isControlEnabled(int index) {
  if (index < 0 || index >= kControlCount) {
    return false;
  }
  // An any-channel entry answers on every channel, so it is only under test on a page
  // that has not narrowed the test down to one channel.
  if (index < kAnyChannelCount) {
    return channelFilter.selectedChannel.get() < 0;
  }
  return channelFilter.channelEnabled[channelOfIndex(index) - 1].get() != 0;
}

void resetPageTables() {
  // Both bounds start in the middle so that a control has to travel to both ends on the
  // same page before it passes.
  for (auto& value : controlMap.controllerMax) {
    value.set(kSweepStart);
  }
  for (auto& value : controlMap.controllerMin) {
    value.set(kSweepStart);
  }
  for (auto& flag : controlMap.controllerTested) {
    flag.set(0);
  }
  for (auto& flag : controlMap.noteTested) {
    flag.set(0);
  }
}

void enableAllChannels() {
  for (auto& flag : channelFilter.channelEnabled) {
    flag.set(1);
  }
  channelFilter.selectedChannel.set(-1);
}

void selectOnlyChannel(int channel) {
  for (auto& flag : channelFilter.channelEnabled) {
    flag.set(0);
  }
  channelFilter.channelEnabled[channel].set(1);
  channelFilter.selectedChannel.set(channel);
}

void releaseChannel(int channel) {
  channelFilter.channelEnabled[channel].set(0);
}

void clearControlMap() {
  for (int i = 0; i < kControlCount; ++i) {
    controlMap.noteDefined[i] = 0;
    controlMap.controllerDefined[i] = 0;
    controlMap.noteRect[i] = ControlRect{};
    controlMap.controllerRect[i] = ControlRect{};
    controlMap.receiveFlag[i] = 0;
    controlMap.noteTested[i].set(0);
    controlMap.controllerTested[i].set(0);
    controlMap.controllerMin[i].set(0);
    controlMap.controllerMax[i].set(0);
  }
  controlMap.lastAnyChannel.set(kInitialAnyChannel);
  for (auto& flag : channelFilter.channelEnabled) {
    flag.set(0);
  }
  channelFilter.selectedChannel.set(-1);
}
