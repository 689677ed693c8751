// The IASIO declaration and its records against the published binary layout, for 64-bit
// and 32-bit Windows (each Windows build runs it under Wine). The expected offsets and the
// conventions are written out here on their own: a slot, field or convention out of place in
// the header would otherwise go unnoticed, since the host and its fakes share that header.
#include <cstddef>
#include <cstring>

#include "audio/asio.h"

#include <gtest/gtest.h>

namespace {

// Under the Itanium C++ ABI (GCC and clang, MinGW included) a pointer to a virtual member
// function holds 1 + the function's byte offset in the vtable.
template <typename Member>
ptrdiff_t vtableOffset(Member member) {
  struct Representation {
    uintptr_t pointer;
    ptrdiff_t adjustment;
  } representation;
  static_assert(sizeof(Member) == sizeof(Representation));
  std::memcpy(&representation, &member, sizeof representation);
  return static_cast<ptrdiff_t>(representation.pointer) - 1;
}

// Slot numbers of the published vtable; a slot is one pointer wide on either architecture.
TEST(AsioAbi, VtableSlotsStandWhereDriversPutThem) {
  constexpr ptrdiff_t slot = sizeof(void*);
  EXPECT_EQ(vtableOffset(&IASIO::QueryInterface), 0 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::AddRef), 1 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::Release), 2 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::init), 3 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getDriverName), 4 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getDriverVersion), 5 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getErrorMessage), 6 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::start), 7 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::stop), 8 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getChannels), 9 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getLatencies), 10 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getBufferSize), 11 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::canSampleRate), 12 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getSampleRate), 13 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::setSampleRate), 14 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getClockSources), 15 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::setClockSource), 16 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getSamplePosition), 17 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::getChannelInfo), 18 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::createBuffers), 19 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::disposeBuffers), 20 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::controlPanel), 21 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::future), 22 * slot);
  EXPECT_EQ(vtableOffset(&IASIO::outputReady), 23 * slot);
}

TEST(AsioAbi, RecordsHaveThePublishedLayout) {
  EXPECT_EQ(offsetof(ASIOBufferInfo, channelNum), 4u);
  EXPECT_EQ(offsetof(ASIOBufferInfo, buffers), 8u);

  EXPECT_EQ(sizeof(ASIOChannelInfo), 52u);
  EXPECT_EQ(offsetof(ASIOChannelInfo, isActive), 8u);
  EXPECT_EQ(offsetof(ASIOChannelInfo, type), 16u);
  EXPECT_EQ(offsetof(ASIOChannelInfo, name), 20u);

  EXPECT_EQ(sizeof(ASIOClockSource), 48u);
  EXPECT_EQ(offsetof(ASIOClockSource, associatedGroup), 8u);
  EXPECT_EQ(offsetof(ASIOClockSource, isCurrentSource), 12u);
  EXPECT_EQ(offsetof(ASIOClockSource, name), 16u);

  EXPECT_EQ(sizeof(AsioGuid), 16u);
}

// The records holding pointers, as each architecture lays them out.
TEST(AsioAbi, PointerRecordsFollowThePointerSize) {
  if (sizeof(void*) == 8) {
    EXPECT_EQ(sizeof(ASIOBufferInfo), 24u);
    EXPECT_EQ(sizeof(ASIOCallbacks), 32u);
    EXPECT_EQ(offsetof(ASIOCallbacks, sampleRateDidChange), 8u);
    EXPECT_EQ(offsetof(ASIOCallbacks, asioMessage), 16u);
    EXPECT_EQ(offsetof(ASIOCallbacks, bufferSwitchTimeInfo), 24u);
  } else {
    EXPECT_EQ(sizeof(void*), 4u);
    EXPECT_EQ(sizeof(ASIOBufferInfo), 16u);
    EXPECT_EQ(sizeof(ASIOCallbacks), 16u);
    EXPECT_EQ(offsetof(ASIOCallbacks, sampleRateDidChange), 4u);
    EXPECT_EQ(offsetof(ASIOCallbacks, asioMessage), 8u);
    EXPECT_EQ(offsetof(ASIOCallbacks, bufferSwitchTimeInfo), 12u);
  }
  EXPECT_EQ(offsetof(ASIOCallbacks, bufferSwitch), 0u);
}

// A driver as the platform's compiler builds one, written out here with its conventions
// apart from the header: on x86 IUnknown's methods stdcall, the interface's own thiscall
// (the object in ECX). The methods record what they were called with, without reading
// through the object: under a wrong convention it is any word.
#if defined(__i386__)
#define HAND_STDCALL __attribute__((stdcall))
#define HAND_THISCALL __attribute__((thiscall))
#define HAND_CDECL __attribute__((cdecl))
#else
#define HAND_STDCALL
#define HAND_THISCALL
#define HAND_CDECL
#endif

struct HandMadeDriver {
  const void* const* vtable;
};

struct Seen {
  const void* object = nullptr;
  const void* first = nullptr;
  double rate = 0;
};
Seen seen;

uint32_t HAND_STDCALL handAddRef(HandMadeDriver* object) {
  seen.object = object;
  return 7;
}
ASIOBool HAND_THISCALL handInit(HandMadeDriver* object, void* window) {
  seen = {object, window, 0};
  return 1;
}
ASIOError HAND_THISCALL handStart(HandMadeDriver* object) {
  seen.object = object;
  return -5;
}
ASIOError HAND_THISCALL handGetChannels(HandMadeDriver* object, int32_t* inputs, int32_t* outputs) {
  seen = {object, inputs, 0};
  *inputs = 3;
  *outputs = 5;
  return ASE_OK;
}
ASIOError HAND_THISCALL handCanSampleRate(HandMadeDriver* object, double rate) {
  seen = {object, nullptr, rate};
  return ASE_OK;
}

void callEachConvention(IASIO* driver, HandMadeDriver* object) {
  int32_t inputs = 0, outputs = 0;
  char window = 0;

  EXPECT_EQ(driver->AddRef(), 7u);
  EXPECT_EQ(seen.object, object);

  EXPECT_EQ(driver->init(&window), 1);
  EXPECT_EQ(seen.object, object);
  EXPECT_EQ(seen.first, &window);

  EXPECT_EQ(driver->start(), -5);
  EXPECT_EQ(seen.object, object);

  EXPECT_EQ(driver->getChannels(&inputs, &outputs), ASE_OK);
  EXPECT_EQ(seen.object, object);
  EXPECT_EQ(inputs, 3);
  EXPECT_EQ(outputs, 5);

  EXPECT_EQ(driver->canSampleRate(44100.0), ASE_OK);
  EXPECT_EQ(seen.object, object);
  EXPECT_EQ(seen.rate, 44100.0);
}

TEST(AsioAbi, HostCallsInTheConventionsDriversAreBuiltWith) {
  const void* vtable[24] = {};
  vtable[1] = reinterpret_cast<const void*>(handAddRef);
  vtable[3] = reinterpret_cast<const void*>(handInit);
  vtable[7] = reinterpret_cast<const void*>(handStart);
  vtable[9] = reinterpret_cast<const void*>(handGetChannels);
  vtable[12] = reinterpret_cast<const void*>(handCanSampleRate);
  HandMadeDriver object = {vtable};
  callEachConvention(reinterpret_cast<IASIO*>(&object), &object);
}

// The driver calls the host's callbacks as cdecl: functions of that convention, declared
// apart from the header, fill the record (a stdcall pointer type would not compile).
void HAND_CDECL cdeclSwitch(int32_t, ASIOBool) {}
void HAND_CDECL cdeclRateChange(ASIOSampleRate) {}
int32_t HAND_CDECL cdeclMessage(int32_t, int32_t, void*, double*) {
  return 0;
}
ASIOTime* HAND_CDECL cdeclSwitchTimeInfo(ASIOTime* time, int32_t, ASIOBool) {
  return time;
}

TEST(AsioAbi, CallbacksAreCdecl) {
  const ASIOCallbacks callbacks = {cdeclSwitch, cdeclRateChange, cdeclMessage, cdeclSwitchTimeInfo};
  EXPECT_EQ(callbacks.asioMessage(1, 2, nullptr, nullptr), 0);
}

// The interface packs its records to 4 bytes: the time code ends at byte 84, not at the 88
// that the alignment of its double would round it to, and the time record with it.
TEST(AsioAbi, TimeRecordsArePackedToFourBytes) {
  EXPECT_EQ(sizeof(ASIOSamples), 8u);
  EXPECT_EQ(sizeof(ASIOTimeStamp), 8u);

  EXPECT_EQ(sizeof(AsioTimeInfo), 48u);
  EXPECT_EQ(offsetof(AsioTimeInfo, systemTime), 8u);
  EXPECT_EQ(offsetof(AsioTimeInfo, samplePosition), 16u);
  EXPECT_EQ(offsetof(AsioTimeInfo, sampleRate), 24u);
  EXPECT_EQ(offsetof(AsioTimeInfo, flags), 32u);
  EXPECT_EQ(offsetof(AsioTimeInfo, reserved), 36u);

  EXPECT_EQ(sizeof(ASIOTimeCode), 84u);
  EXPECT_EQ(offsetof(ASIOTimeCode, timeCodeSamples), 8u);
  EXPECT_EQ(offsetof(ASIOTimeCode, flags), 16u);
  EXPECT_EQ(offsetof(ASIOTimeCode, future), 20u);

  EXPECT_EQ(sizeof(ASIOTime), 148u);
  EXPECT_EQ(offsetof(ASIOTime, timeInfo), 16u);
  EXPECT_EQ(offsetof(ASIOTime, timeCode), 64u);

  // Every record is packed, the ones holding pointers too: none is aligned beyond 4 bytes.
  EXPECT_EQ(alignof(ASIOTime), 4u);
  EXPECT_EQ(alignof(ASIOBufferInfo), 4u);
  EXPECT_EQ(alignof(ASIOCallbacks), 4u);
}

TEST(AsioAbi, ConstantsHaveThePublishedValues) {
  EXPECT_EQ(ASIOSTInt16LSB, 16);
  EXPECT_EQ(ASIOSTInt24LSB, 17);
  EXPECT_EQ(ASIOSTInt32LSB, 18);
  EXPECT_EQ(ASIOSTFloat32LSB, 19);
  EXPECT_EQ(ASIOSTFloat64LSB, 20);
  EXPECT_EQ(ASIOSTInt32LSB16, 24);
  EXPECT_EQ(ASIOSTInt32LSB24, 27);
  EXPECT_EQ(ASIOSTInt16MSB, 0);
  EXPECT_EQ(ASIOSTFloat64MSB, 4);
  EXPECT_EQ(ASIOSTInt32MSB16, 8);
  EXPECT_EQ(ASIOSTInt32MSB24, 11);
  EXPECT_EQ(kAsioSupportsTimeInfo, 7);
  EXPECT_EQ(kSystemTimeValid | kSamplePositionValid, 3u);
}

}  // namespace
