// The panel picture and the level meters: loading the five bitmaps, painting, meters.
#ifndef UI_PANEL_WIN32_H
#define UI_PANEL_WIN32_H

#include <windows.h>

bool loadPanelBitmaps();
// The window's WM_PAINT: the unlit panel through paintDc (BeginPaint's), then every control
// under test on the page drawn in red or green.
void paintPanel(HDC paintDc);
void updateMeters();
// Shutdown: the red, then the green, then the off bitmap, then the two meter bitmaps.
void deletePanelBitmaps();

#endif
