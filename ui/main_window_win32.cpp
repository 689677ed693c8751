#include "ui/main_window_win32.h"

#include "app/sequence.h"
#include "audio/asio_host.h"
#include "base/message_box_win32.h"
#include "base/platform_hooks.h"
#include "config/settings.h"
#include "midi/note_receive.h"
#include "resource.h"
#include "ui/panel_win32.h"
#include "ui/video_win32.h"

char windowTitle[kResourceTextCapacity];
char windowClassName[kResourceTextCapacity];
Shared<HWND> mainWindow;
Shared<HWND> textPane;
HWND continueButton;
static HWND videoButton;

static HINSTANCE appInstance;
static HFONT paneFont;

static LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The main window opens at the same place whatever the model, with a caption and a system
// menu but no sizing frame; its children write in one font.
constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU;
constexpr int kWindowLeft = 200;
constexpr int kWindowTop = 200;
constexpr int kFontHeight = 18;
constexpr char kFontFace[] = "arial";

void registerWindowClass(HINSTANCE instance) {
  LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof(windowTitle));
  LoadStringA(instance, IDC_VELKANALYSER, windowClassName, sizeof(windowClassName));
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = mainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VELKANALYSER));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDC_VELKANALYSER);
  windowClass.lpszClassName = windowClassName;
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
  RegisterClassExA(&windowClass);
}

static HWND createChild(HWND parent, const char* className, DWORD style, const ControlRect& rect,
                        int id) {
  return CreateWindowExA(0, className, "", style, rect.x, rect.y, rect.width, rect.height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
}

static HWND createButton(HWND parent, const ControlRect& rect, int id, const char* caption) {
  HWND button = createChild(parent, "BUTTON", WS_CHILD | WS_VISIBLE, rect, id);
  SetWindowTextA(button, caption);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(paneFont), FALSE);
  return button;
}

bool createMainWindow(HINSTANCE instance, int showCommand) {
  appInstance = instance;
  // The adjusted right and bottom edges are used as width and height as they stand: the
  // window is a frame's width larger than the configured size, as it always has been.
  RECT frame = {kWindowLeft, kWindowTop, settings.width, settings.height};
  AdjustWindowRect(&frame, kMainWindowStyle, TRUE);
  HWND window =
      CreateWindowExA(0, windowClassName, windowTitle, kMainWindowStyle, frame.left, frame.top,
                      frame.right, frame.bottom, nullptr, nullptr, instance, nullptr);
  if (!window) {
    return false;
  }
  HWND pane = createChild(window, "EDIT", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE,
                          settings.textWindow, IDC_TEXT_PANE);
  textPane.set(pane);
  paneFont = CreateFontA(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, kFontFace);
  SendMessageA(pane, WM_SETFONT, reinterpret_cast<WPARAM>(paneFont), FALSE);
  refreshTextPane();
  continueButton = createButton(window, settings.continueButton, IDC_CONTINUE_BUTTON, "Begin Test");
  videoButton =
      createButton(window, settings.videoButton, IDC_VIDEO_BUTTON, "Video Instructions...");
  mainWindow.set(window);
  setMessageOwner(window);
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return true;
}

static INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

static LRESULT onCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDM_ABOUT:
      DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUTBOX), window, aboutDialogProc, 0);
      return 0;
    case IDM_EXIT:
      DestroyWindow(window);
      return 0;
    case IDC_CONTINUE_BUTTON:
      advanceByOperator();
      return 0;
    case IDC_VIDEO_BUTTON:
      showVideoInstructions(currentStep.get(), currentPair.get());
      return 0;
    case IDC_TEXT_PANE:
      // The pane is for reading only: taking the focus back keeps it free of a caret.
      SetFocus(window);
      return 1;
    case IDM_ASIO_CONTROL_PANEL:
      showDriverControlPanel(window);
      return 0;
    default:
      return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
  }
}

static LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      KillTimer(window, kTickTimer);
      DeleteObject(paneFont);
      closeDriverPanel(window);
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      paintPanel(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_TIMER:
      updateMeters();
      noteReceiveTick();
      checkAutoAdvance();
      return 0;
    case WM_COMMAND:
      return onCommand(window, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
