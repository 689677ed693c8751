// The IASIO declaration and its records against the published 64-bit binary layout. The
// expected offsets are written out here on their own: a slot or field out of place in the
// header would otherwise go unnoticed, since the host and its fakes share that header.
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

TEST(AsioAbi, VtableSlotsStandWhereDriversPutThem) {
  static_assert(sizeof(void*) == 8, "the expected offsets are those of x64");
  EXPECT_EQ(vtableOffset(&IASIO::QueryInterface), 0x00);
  EXPECT_EQ(vtableOffset(&IASIO::AddRef), 0x08);
  EXPECT_EQ(vtableOffset(&IASIO::Release), 0x10);
  EXPECT_EQ(vtableOffset(&IASIO::init), 0x18);
  EXPECT_EQ(vtableOffset(&IASIO::getDriverName), 0x20);
  EXPECT_EQ(vtableOffset(&IASIO::getDriverVersion), 0x28);
  EXPECT_EQ(vtableOffset(&IASIO::getErrorMessage), 0x30);
  EXPECT_EQ(vtableOffset(&IASIO::start), 0x38);
  EXPECT_EQ(vtableOffset(&IASIO::stop), 0x40);
  EXPECT_EQ(vtableOffset(&IASIO::getChannels), 0x48);
  EXPECT_EQ(vtableOffset(&IASIO::getLatencies), 0x50);
  EXPECT_EQ(vtableOffset(&IASIO::getBufferSize), 0x58);
  EXPECT_EQ(vtableOffset(&IASIO::canSampleRate), 0x60);
  EXPECT_EQ(vtableOffset(&IASIO::getSampleRate), 0x68);
  EXPECT_EQ(vtableOffset(&IASIO::setSampleRate), 0x70);
  EXPECT_EQ(vtableOffset(&IASIO::getClockSources), 0x78);
  EXPECT_EQ(vtableOffset(&IASIO::setClockSource), 0x80);
  EXPECT_EQ(vtableOffset(&IASIO::getSamplePosition), 0x88);
  EXPECT_EQ(vtableOffset(&IASIO::getChannelInfo), 0x90);
  EXPECT_EQ(vtableOffset(&IASIO::createBuffers), 0x98);
  EXPECT_EQ(vtableOffset(&IASIO::disposeBuffers), 0xA0);
  EXPECT_EQ(vtableOffset(&IASIO::controlPanel), 0xA8);
  EXPECT_EQ(vtableOffset(&IASIO::future), 0xB0);
  EXPECT_EQ(vtableOffset(&IASIO::outputReady), 0xB8);
}

TEST(AsioAbi, RecordsHaveThePublishedLayout) {
  EXPECT_EQ(sizeof(ASIOBufferInfo), 24u);
  EXPECT_EQ(offsetof(ASIOBufferInfo, channelNum), 4u);
  EXPECT_EQ(offsetof(ASIOBufferInfo, buffers), 8u);

  EXPECT_EQ(sizeof(ASIOChannelInfo), 52u);
  EXPECT_EQ(offsetof(ASIOChannelInfo, type), 16u);
  EXPECT_EQ(offsetof(ASIOChannelInfo, name), 20u);

  EXPECT_EQ(sizeof(ASIOCallbacks), 32u);
  EXPECT_EQ(offsetof(ASIOCallbacks, bufferSwitch), 0u);
  EXPECT_EQ(offsetof(ASIOCallbacks, sampleRateDidChange), 8u);
  EXPECT_EQ(offsetof(ASIOCallbacks, asioMessage), 16u);
  EXPECT_EQ(offsetof(ASIOCallbacks, bufferSwitchTimeInfo), 24u);

  EXPECT_EQ(sizeof(AsioGuid), 16u);
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
