// The panel picture and the level meters: loading the five bitmaps, painting, meters.
#ifndef UI_PANEL_WIN32_H
#define UI_PANEL_WIN32_H

#include <windows.h>

bool loadPanelBitmaps();
void paintPanel(HDC dc);
void updateMeters();
// Shutdown: the red, then the green, then the off bitmap, then the two meter bitmaps.
void deletePanelBitmaps();

#endif
