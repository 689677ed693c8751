// The ASIO driver interface as the host sees it: the COM interface IASIO, the records passed
// through it, and the constants the host uses. Declared here from the published binary
// interface so that the portable code and its tests need no Windows headers. ASIO's "long"
// is 32 bits on Windows, hence int32_t throughout.
#ifndef AUDIO_ASIO_H
#define AUDIO_ASIO_H

#include <cstdint>

// The calling conventions drivers are built with. On 32-bit Windows they differ per kind of
// call, and a mismatch corrupts the stack only there: IUnknown's methods are __stdcall,
// IASIO's own methods are what the platform's compiler gives member functions, __thiscall
// (the object in ECX, the callee pops its arguments), and the driver calls the host's
// callbacks as __cdecl (the caller pops). Every other target has a single convention.
#if defined(_WIN32) && !defined(_WIN64)
#define ASIO_STDCALL __stdcall
#define ASIO_THISCALL __thiscall
#define ASIO_CDECL __cdecl
#else
#define ASIO_STDCALL
#define ASIO_THISCALL
#define ASIO_CDECL
#endif

using ASIOBool = int32_t;
using ASIOError = int32_t;
using ASIOSampleRate = double;
using ASIOSampleType = int32_t;

constexpr ASIOError ASE_OK = 0;
constexpr ASIOError ASE_NotPresent = -1000;

// The interface's records are packed to 4 bytes, as drivers are built on Windows: there
// ASIOTimeCode is 84 bytes and ASIOTime 148, where natural alignment would pad them to 88
// and 152. The packing holds on every target, so that the native build's tests check the
// layout drivers see.
#pragma pack(push, 4)

// 64-bit values split in two 32-bit halves, as the interface passes them.
struct ASIOSamples {
  uint32_t hi, lo;
};
struct ASIOTimeStamp {
  uint32_t hi, lo;
};

// Only passed through getClockSources, which is never called; declared for its layout.
struct ASIOClockSource {
  int32_t index;
  int32_t associatedChannel;
  int32_t associatedGroup;
  ASIOBool isCurrentSource;
  char name[32];
};

struct ASIOChannelInfo {
  int32_t channel;
  ASIOBool isInput;
  ASIOBool isActive;
  int32_t channelGroup;
  ASIOSampleType type;
  char name[32];
};

struct ASIOBufferInfo {
  ASIOBool isInput;
  int32_t channelNum;
  void* buffers[2];  // the two halves of the channel's double buffer
};

struct AsioTimeInfo {
  double speed;
  ASIOTimeStamp systemTime;
  ASIOSamples samplePosition;
  ASIOSampleRate sampleRate;
  uint32_t flags;
  char reserved[12];
};

struct ASIOTimeCode {
  double speed;
  ASIOSamples timeCodeSamples;
  uint32_t flags;
  char future[64];
};

struct ASIOTime {
  int32_t reserved[4];
  AsioTimeInfo timeInfo;
  ASIOTimeCode timeCode;
};

struct ASIOCallbacks {
  void(ASIO_CDECL* bufferSwitch)(int32_t doubleBufferIndex, ASIOBool directProcess);
  void(ASIO_CDECL* sampleRateDidChange)(ASIOSampleRate rate);
  int32_t(ASIO_CDECL* asioMessage)(int32_t selector, int32_t value, void* message, double* opt);
  ASIOTime*(ASIO_CDECL* bufferSwitchTimeInfo)(ASIOTime* params, int32_t doubleBufferIndex,
                                              ASIOBool directProcess);
};

#pragma pack(pop)

// The layout drivers see, on every target (tests/unit/test_asio_abi.cpp checks each field).
// Only the records holding pointers differ between 32 and 64 bits.
static_assert(sizeof(ASIOClockSource) == 48);
static_assert(sizeof(ASIOChannelInfo) == 52);
static_assert(sizeof(ASIOTimeCode) == 84);
static_assert(sizeof(AsioTimeInfo) == 48);
static_assert(sizeof(ASIOTime) == 148);
static_assert(sizeof(ASIOBufferInfo) == 8 + 2 * sizeof(void*));
static_assert(sizeof(ASIOCallbacks) == 4 * sizeof(void*));

// Time-info flags.
constexpr uint32_t kSystemTimeValid = 1;
constexpr uint32_t kSamplePositionValid = 2;

// asioMessage selectors.
enum : int32_t {
  kAsioSelectorSupported = 1,
  kAsioEngineVersion = 2,
  kAsioResetRequest = 3,
  kAsioBufferSizeChange = 4,
  kAsioResyncRequest = 5,
  kAsioLatenciesChanged = 6,
  kAsioSupportsTimeInfo = 7,
  kAsioSupportsTimeCode = 8,
  kAsioMMCCommand = 9,
};

// Sample types.
enum : ASIOSampleType {
  ASIOSTInt16MSB = 0,
  ASIOSTInt24MSB = 1,
  ASIOSTInt32MSB = 2,
  ASIOSTFloat32MSB = 3,
  ASIOSTFloat64MSB = 4,
  ASIOSTInt32MSB16 = 8,
  ASIOSTInt32MSB18 = 9,
  ASIOSTInt32MSB20 = 10,
  ASIOSTInt32MSB24 = 11,
  ASIOSTInt16LSB = 16,
  ASIOSTInt24LSB = 17,
  ASIOSTInt32LSB = 18,
  ASIOSTFloat32LSB = 19,
  ASIOSTFloat64LSB = 20,
  ASIOSTInt32LSB16 = 24,
  ASIOSTInt32LSB18 = 25,
  ASIOSTInt32LSB20 = 26,
  ASIOSTInt32LSB24 = 27,
  ASIOSTDSDInt8LSB1 = 32,
  ASIOSTDSDInt8MSB1 = 33,
  ASIOSTDSDInt8NER8 = 40,
};

// A COM interface identifier, laid out as the platform's GUID.
struct AsioGuid {
  uint32_t data1;
  uint16_t data2, data3;
  uint8_t data4[8];
};

// Slot order is the binary interface: IUnknown's three methods, then IASIO's in the order
// the driver's vtable holds them. Never reorder.
struct IASIO {
  virtual int32_t ASIO_STDCALL QueryInterface(const AsioGuid& iid, void** object) = 0;
  virtual uint32_t ASIO_STDCALL AddRef() = 0;
  virtual uint32_t ASIO_STDCALL Release() = 0;
  virtual ASIOBool ASIO_THISCALL init(void* sysHandle) = 0;
  virtual void ASIO_THISCALL getDriverName(char* name) = 0;
  virtual int32_t ASIO_THISCALL getDriverVersion() = 0;
  virtual void ASIO_THISCALL getErrorMessage(char* text) = 0;
  virtual ASIOError ASIO_THISCALL start() = 0;
  virtual ASIOError ASIO_THISCALL stop() = 0;
  virtual ASIOError ASIO_THISCALL getChannels(int32_t* inputs, int32_t* outputs) = 0;
  virtual ASIOError ASIO_THISCALL getLatencies(int32_t* inputLatency, int32_t* outputLatency) = 0;
  virtual ASIOError ASIO_THISCALL getBufferSize(int32_t* minSize, int32_t* maxSize,
                                                int32_t* preferredSize, int32_t* granularity) = 0;
  virtual ASIOError ASIO_THISCALL canSampleRate(ASIOSampleRate rate) = 0;
  virtual ASIOError ASIO_THISCALL getSampleRate(ASIOSampleRate* rate) = 0;
  virtual ASIOError ASIO_THISCALL setSampleRate(ASIOSampleRate rate) = 0;
  virtual ASIOError ASIO_THISCALL getClockSources(ASIOClockSource* clocks, int32_t* count) = 0;
  virtual ASIOError ASIO_THISCALL setClockSource(int32_t reference) = 0;
  virtual ASIOError ASIO_THISCALL getSamplePosition(ASIOSamples* position,
                                                    ASIOTimeStamp* stamp) = 0;
  virtual ASIOError ASIO_THISCALL getChannelInfo(ASIOChannelInfo* info) = 0;
  virtual ASIOError ASIO_THISCALL createBuffers(ASIOBufferInfo* infos, int32_t count,
                                                int32_t bufferSize, ASIOCallbacks* callbacks) = 0;
  virtual ASIOError ASIO_THISCALL disposeBuffers() = 0;
  virtual ASIOError ASIO_THISCALL controlPanel() = 0;
  virtual ASIOError ASIO_THISCALL future(int32_t selector, void* opt) = 0;
  virtual ASIOError ASIO_THISCALL outputReady() = 0;
};

#endif
