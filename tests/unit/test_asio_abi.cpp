// The IASIO declaration and its records against the published 64-bit binary layout. The
// expected offsets are written out here on their own: a slot or field out of place in the
// header would otherwise go unnoticed, since the host and its fakes share that header.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "audio/asio.h"

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
  EXPECT_EQ(0x00, vtableOffset(&IASIO::QueryInterface));
  EXPECT_EQ(0x08, vtableOffset(&IASIO::AddRef));
  EXPECT_EQ(0x10, vtableOffset(&IASIO::Release));
  EXPECT_EQ(0x18, vtableOffset(&IASIO::init));
  EXPECT_EQ(0x20, vtableOffset(&IASIO::getDriverName));
  EXPECT_EQ(0x28, vtableOffset(&IASIO::getDriverVersion));
  EXPECT_EQ(0x30, vtableOffset(&IASIO::getErrorMessage));
  EXPECT_EQ(0x38, vtableOffset(&IASIO::start));
  EXPECT_EQ(0x40, vtableOffset(&IASIO::stop));
  EXPECT_EQ(0x48, vtableOffset(&IASIO::getChannels));
  EXPECT_EQ(0x50, vtableOffset(&IASIO::getLatencies));
  EXPECT_EQ(0x58, vtableOffset(&IASIO::getBufferSize));
  EXPECT_EQ(0x60, vtableOffset(&IASIO::canSampleRate));
  EXPECT_EQ(0x68, vtableOffset(&IASIO::getSampleRate));
  EXPECT_EQ(0x70, vtableOffset(&IASIO::setSampleRate));
  EXPECT_EQ(0x78, vtableOffset(&IASIO::getClockSources));
  EXPECT_EQ(0x80, vtableOffset(&IASIO::setClockSource));
  EXPECT_EQ(0x88, vtableOffset(&IASIO::getSamplePosition));
  EXPECT_EQ(0x90, vtableOffset(&IASIO::getChannelInfo));
  EXPECT_EQ(0x98, vtableOffset(&IASIO::createBuffers));
  EXPECT_EQ(0xA0, vtableOffset(&IASIO::disposeBuffers));
  EXPECT_EQ(0xA8, vtableOffset(&IASIO::controlPanel));
  EXPECT_EQ(0xB0, vtableOffset(&IASIO::future));
  EXPECT_EQ(0xB8, vtableOffset(&IASIO::outputReady));
}

TEST(AsioAbi, RecordsHaveThePublishedLayout) {
  EXPECT_EQ(24u, sizeof(ASIOBufferInfo));
  EXPECT_EQ(4u, offsetof(ASIOBufferInfo, channelNum));
  EXPECT_EQ(8u, offsetof(ASIOBufferInfo, buffers));

  EXPECT_EQ(52u, sizeof(ASIOChannelInfo));
  EXPECT_EQ(16u, offsetof(ASIOChannelInfo, type));
  EXPECT_EQ(20u, offsetof(ASIOChannelInfo, name));

  EXPECT_EQ(32u, sizeof(ASIOCallbacks));
  EXPECT_EQ(0u, offsetof(ASIOCallbacks, bufferSwitch));
  EXPECT_EQ(8u, offsetof(ASIOCallbacks, sampleRateDidChange));
  EXPECT_EQ(16u, offsetof(ASIOCallbacks, asioMessage));
  EXPECT_EQ(24u, offsetof(ASIOCallbacks, bufferSwitchTimeInfo));

  EXPECT_EQ(16u, sizeof(AsioGuid));
}

// The interface packs its records to 4 bytes: the time code ends at byte 84, not at the 88
// that the alignment of its double would round it to, and the time record with it.
TEST(AsioAbi, TimeRecordsArePackedToFourBytes) {
  EXPECT_EQ(8u, sizeof(ASIOSamples));
  EXPECT_EQ(8u, sizeof(ASIOTimeStamp));

  EXPECT_EQ(48u, sizeof(AsioTimeInfo));
  EXPECT_EQ(8u, offsetof(AsioTimeInfo, systemTime));
  EXPECT_EQ(16u, offsetof(AsioTimeInfo, samplePosition));
  EXPECT_EQ(24u, offsetof(AsioTimeInfo, sampleRate));
  EXPECT_EQ(32u, offsetof(AsioTimeInfo, flags));
  EXPECT_EQ(36u, offsetof(AsioTimeInfo, reserved));

  EXPECT_EQ(84u, sizeof(ASIOTimeCode));
  EXPECT_EQ(8u, offsetof(ASIOTimeCode, timeCodeSamples));
  EXPECT_EQ(16u, offsetof(ASIOTimeCode, flags));
  EXPECT_EQ(20u, offsetof(ASIOTimeCode, future));

  EXPECT_EQ(148u, sizeof(ASIOTime));
  EXPECT_EQ(16u, offsetof(ASIOTime, timeInfo));
  EXPECT_EQ(64u, offsetof(ASIOTime, timeCode));

  // Every record is packed, the ones holding pointers too: none is aligned beyond 4 bytes.
  EXPECT_EQ(4u, alignof(ASIOTime));
  EXPECT_EQ(4u, alignof(ASIOBufferInfo));
  EXPECT_EQ(4u, alignof(ASIOCallbacks));
}

TEST(AsioAbi, ConstantsHaveThePublishedValues) {
  EXPECT_EQ(16, ASIOSTInt16LSB);
  EXPECT_EQ(17, ASIOSTInt24LSB);
  EXPECT_EQ(18, ASIOSTInt32LSB);
  EXPECT_EQ(19, ASIOSTFloat32LSB);
  EXPECT_EQ(20, ASIOSTFloat64LSB);
  EXPECT_EQ(24, ASIOSTInt32LSB16);
  EXPECT_EQ(27, ASIOSTInt32LSB24);
  EXPECT_EQ(0, ASIOSTInt16MSB);
  EXPECT_EQ(4, ASIOSTFloat64MSB);
  EXPECT_EQ(8, ASIOSTInt32MSB16);
  EXPECT_EQ(11, ASIOSTInt32MSB24);
  EXPECT_EQ(7, kAsioSupportsTimeInfo);
  EXPECT_EQ(3u, kSystemTimeValid | kSamplePositionValid);
}

}  // namespace
