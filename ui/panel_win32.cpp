#include "ui/panel_win32.h"

#include "audio/asio_host.h"
#include "base/message_box.h"
#include "base/platform_hooks.h"
#include "base/run_position.h"
#include "base/steps.h"
#include "config/settings.h"
#include "midi/control_map.h"
#include "ui/main_window_win32.h"
#include "ui/panel.h"

// The red and green pictures one drawing thread copies controls from. A bitmap can be
// selected into one device context at a time; a second selection fails (under Wine
// SelectObject returns NULL, and BitBlt still reports success and copies nothing). So the
// window thread paints from its own pair and the MIDI input thread draws a passing control
// from another pair, loaded from the same files: neither ever waits for the other.
struct ControlPictures {
  HBITMAP red, green;
};

struct PanelBitmaps {
  HBITMAP off, meterOn, meterOff;
  ControlPictures window, midi;
};
static PanelBitmaps panelBitmaps;

// A meter is 20 pixels wide; the odd channel of a pair stands right of the even one.
constexpr int kMeterWidth = 20;

static bool loadOne(HBITMAP& bitmap, const char* path, const char* caption) {
  bitmap = static_cast<HBITMAP>(
      LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!bitmap) {
    showMessage(path, caption, MB_ICONWARNING | MB_OK);
  }
  return bitmap != nullptr;
}

bool loadPanelBitmaps() {
  const char* background = "Error opening screen background";
  const char* meter = "Error opening meter bitmap";
  return loadOne(panelBitmaps.off, settings.offBitmap, background) &&
         loadOne(panelBitmaps.window.red, settings.redBitmap, background) &&
         loadOne(panelBitmaps.window.green, settings.greenBitmap, background) &&
         loadOne(panelBitmaps.midi.red, settings.redBitmap, background) &&
         loadOne(panelBitmaps.midi.green, settings.greenBitmap, background) &&
         loadOne(panelBitmaps.meterOn, settings.meterOn, meter) &&
         loadOne(panelBitmaps.meterOff, settings.meterOff, meter);
}

void deletePanelBitmaps() {
  DeleteObject(panelBitmaps.window.red);
  DeleteObject(panelBitmaps.midi.red);
  DeleteObject(panelBitmaps.window.green);
  DeleteObject(panelBitmaps.midi.green);
  DeleteObject(panelBitmaps.off);
  DeleteObject(panelBitmaps.meterOn);
  DeleteObject(panelBitmaps.meterOff);
}

static SIZE bitmapSize(HBITMAP bitmap) {
  BITMAP info = {};
  GetObjectA(bitmap, sizeof(info), &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

// The window's DC for a draw outside WM_PAINT, given back on every path.
struct WindowDc {
  HWND window;
  HDC dc;
  explicit WindowDc(HWND w) : window(w), dc(GetDC(w)) {}
  ~WindowDc() { ReleaseDC(window, dc); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
};

// A memory DC compatible with target with bitmap selected into it; the previous object goes
// back and the DC is deleted on every path. selected is false when either step failed.
struct SelectedBitmap {
  HDC memory;
  HGDIOBJ previous;
  bool selected;
  SelectedBitmap(HDC target, HBITMAP bitmap)
      : memory(CreateCompatibleDC(target)),
        previous(memory ? SelectObject(memory, bitmap) : nullptr),
        selected(previous != nullptr) {}
  ~SelectedBitmap() {
    if (selected) {
      SelectObject(memory, previous);
    }
    if (memory) {
      DeleteDC(memory);
    }
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
};

// The one copying primitive: width by height pixels of bitmap from sourceX, sourceY. False
// when nothing was copied: a bitmap that could not be selected draws nothing, whatever
// BitBlt says.
static bool blitRegion(HDC target, HBITMAP bitmap, int destX, int destY, int sourceX, int sourceY,
                       int width, int height) {
  SelectedBitmap source(target, bitmap);
  if (!source.selected) {
    return false;
  }
  SetMapMode(source.memory, GetMapMode(target));
  return BitBlt(target, destX, destY, width, height, source.memory, sourceX, sourceY, SRCCOPY) != 0;
}

// The whole bitmap at destX, destY, framed in black one pixel outside it.
static void blitWholeFramed(HDC target, HBITMAP bitmap, int destX, int destY) {
  const SIZE size = bitmapSize(bitmap);
  blitRegion(target, bitmap, destX, destY, 0, 0, size.cx, size.cy);
  SelectObject(target, GetStockObject(BLACK_PEN));
  SelectObject(target, GetStockObject(NULL_BRUSH));
  Rectangle(target, panelPosition(destX, -1), panelPosition(destY, -1),
            panelPosition(destX, int64_t{size.cx} + 1), panelPosition(destY, int64_t{size.cy} + 1));
}

// Draws a control from the red or green picture by its tested flag. The MIDI thread can
// pass the control between reading the flag and the copy; drawing again until the flag
// read after the copy matches the one drawn means the last picture on screen is never red
// for a control that has passed, whichever thread draws last.
static void drawControl(const ControlRect& rect, const Shared<int16_t>& tested) {
  HWND window = mainWindow.get();
  const bool windowThread = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
  const ControlPictures& pictures = windowThread ? panelBitmaps.window : panelBitmaps.midi;
  const int x = panelPosition(settings.bitmapLeft, rect.x);
  const int y = panelPosition(settings.bitmapTop, rect.y);
  bool drawn;
  {
    WindowDc target(window);
    int16_t shown;
    do {
      shown = tested.get();
      drawn = blitRegion(target.dc, shown ? pictures.green : pictures.red, x, y, rect.x, rect.y,
                         rect.width, rect.height);
    } while (drawn && tested.get() != shown);
  }
  if (windowThread) {
    return;
  }
  if (!drawn) {
    // A draw that did not happen is left to the window thread: its paint of that area
    // draws the control from its own pictures.
    RECT area = {x, y, panelPosition(x, rect.width), panelPosition(y, rect.height)};
    InvalidateRect(window, &area, FALSE);
  }
  // Some window systems (Wine's among them) put a draw made on another thread on screen
  // only when the window's own thread next goes idle, which can be a whole timer tick
  // later. A null message wakes that thread so a pass shows at once.
  PostMessageA(window, WM_NULL, 0, 0);
}

void drawNoteControl(int index) {
  int step = currentStep.get();
  bool shown =
      step == kStepNoteTest || (step == kStepNoteRxTest && controlMap.receiveFlag[index] != 0);
  if (shown) {
    drawControl(controlMap.noteRect[index], controlMap.noteTested[index]);
  }
}

void drawControllerControl(int index) {
  if (currentStep.get() == kStepControllerTest) {
    drawControl(controlMap.controllerRect[index], controlMap.controllerTested[index]);
  }
}

void paintPanel(HDC paintDc) {
  blitWholeFramed(paintDc, panelBitmaps.off, settings.bitmapLeft, settings.bitmapTop);
  for (int index = 0; index < kControlCount; ++index) {
    if (isControlEnabled(index) && controlMap.controllerDefined[index]) {
      drawControllerControl(index);
    }
  }
  for (int index = 0; index < kControlCount; ++index) {
    if (isControlEnabled(index) && controlMap.noteDefined[index]) {
      drawNoteControl(index);
    }
  }
}

static void drawMeter(int channel, int32_t level) {
  WindowDc target(mainWindow.get());
  HDC dc = target.dc;
  int meterHeight = bitmapSize(panelBitmaps.meterOff).cy;
  int lit = meterLitHeight(level, meterHeight);
  int x = panelPosition(settings.meterLeft, kMeterWidth * (channel % 2));
  blitRegion(dc, panelBitmaps.meterOff, x, settings.meterTop, 0, 0, kMeterWidth, meterHeight - lit);
  blitRegion(dc, panelBitmaps.meterOn, x, panelPosition(settings.meterTop, meterHeight - lit), 0,
             meterHeight - lit, kMeterWidth, lit);
}

void updateMeters() {
  int inputs = asioFacts.inputCount.get();
  for (int channel = 0; channel < inputs && channel < kMaxAsioChannels; ++channel) {
    Shared<int32_t>& stored = asioFacts.inputLevels[channel];
    int32_t level = stored.get();
    if (currentStep.get() == kStepAudioIn && channel / 2 == currentPair.get()) {
      drawMeter(channel, level);
    }
    stored.set(decayedLevel(stored.get(), level));
  }
}
