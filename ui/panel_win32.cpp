#include "ui/panel_win32.h"

#include "app/sequence.h"
#include "audio/asio_host.h"
#include "config/settings.h"
#include "midi/control_map.h"
#include "ui/main_window_win32.h"
#include "ui/panel.h"

struct PanelBitmaps {
  HBITMAP off, red, green, meterOn, meterOff;
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
         loadOne(panelBitmaps.red, settings.redBitmap, background) &&
         loadOne(panelBitmaps.green, settings.greenBitmap, background) &&
         loadOne(panelBitmaps.meterOn, settings.meterOn, meter) &&
         loadOne(panelBitmaps.meterOff, settings.meterOff, meter);
}

void deletePanelBitmaps() {
  DeleteObject(panelBitmaps.red);
  DeleteObject(panelBitmaps.green);
  DeleteObject(panelBitmaps.off);
}

static SIZE bitmapSize(HBITMAP bitmap) {
  BITMAP info = {};
  GetObjectA(bitmap, sizeof(info), &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

// The one copying primitive. A width of -1 copies the whole bitmap and frames it in black.
static void blitRegion(HDC target, HBITMAP bitmap, int destX, int destY, int sourceX, int sourceY,
                       int width, int height) {
  HDC memory = CreateCompatibleDC(target);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  SetMapMode(memory, GetMapMode(target));
  SIZE size = bitmapSize(bitmap);
  bool framed = width == -1;
  if (width == -1) {
    width = size.cx;
  }
  if (height == -1) {
    height = size.cy;
  }
  BitBlt(target, destX, destY, width, height, memory, sourceX, sourceY, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  if (framed) {
    SelectObject(target, GetStockObject(BLACK_PEN));
    SelectObject(target, GetStockObject(NULL_BRUSH));
    Rectangle(target, destX - 1, destY - 1, destX + width + 1, destY + height + 1);
  }
}

// Draws a control from the red or green picture by its tested flag. The MIDI thread can
// pass the control between reading the flag and the copy; drawing again until the flag
// read after the copy matches the one drawn means the last picture on screen is never red
// for a control that has passed, whichever thread draws last.
static void drawControl(const ControlRect& rect, const Shared<int16_t>& tested) {
  HWND window = mainWindow.get();
  HDC dc = GetDC(window);
  int16_t drawn;
  do {
    drawn = tested.get();
    blitRegion(dc, drawn ? panelBitmaps.green : panelBitmaps.red, settings.bitmapLeft + rect.x,
               settings.bitmapTop + rect.y, rect.x, rect.y, rect.width, rect.height);
  } while (tested.get() != drawn);
  ReleaseDC(window, dc);
  // Some window systems (Wine's among them) put a draw made on another thread on screen
  // only when the window's own thread next goes idle, which can be a whole timer tick
  // later. A null message wakes that thread so a pass shows at once.
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
    PostMessageA(window, WM_NULL, 0, 0);
  }
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

void paintPanel(HDC dc) {
  blitRegion(dc, panelBitmaps.off, settings.bitmapLeft, settings.bitmapTop, 0, 0, -1, -1);
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
  HWND window = mainWindow.get();
  HDC dc = GetDC(window);
  int meterHeight = bitmapSize(panelBitmaps.meterOff).cy;
  int lit = meterLitHeight(level, meterHeight);
  int x = settings.meterLeft + kMeterWidth * (channel % 2);
  blitRegion(dc, panelBitmaps.meterOff, x, settings.meterTop, 0, 0, kMeterWidth, meterHeight - lit);
  blitRegion(dc, panelBitmaps.meterOn, x, settings.meterTop + meterHeight - lit, 0,
             meterHeight - lit, kMeterWidth, lit);
  ReleaseDC(window, dc);
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
