// The panel picture's portable part: where things go and how tall a meter stands. Drawing a
// single control is a platform hook (base/platform_hooks.h, panel_win32.cpp); the bitmaps
// themselves are in panel_win32.h.
#ifndef UI_PANEL_H
#define UI_PANEL_H

#include <cstdint>

// A position on the window: an origin from the settings file moved by an offset (a
// control's position, a frame's margin), held to the 32-bit range instead of overflowing.
int32_t panelPosition(int32_t origin, int64_t offset);

// Lit rows of a meter of height meterHeight for an input level (32768 fills it);
// levels beyond full scale (float inputs reach 65536) are shown full, never taller.
int32_t meterLitHeight(int32_t level, int32_t meterHeight);
// Lowers one stored level after a tick, given the level read at the start of the tick.
int32_t decayedLevel(int32_t stored, int32_t readLevel);

#endif
