// The [video] keys of the settings file: one per step ("video3") and, in the audio steps, one
// per channel pair ("video6_2"), each the path of an instruction video.
#ifndef CONFIG_VIDEO_KEYS_H
#define CONFIG_VIDEO_KEYS_H

#include <cstddef>

// Settings key of the video for a step position and channel pair (pair -1: the step's own).
// Exported for the tests; readVideoPath is its only other caller.
void videoKey(int step, int pair, char* out, size_t capacity);

// The video's path as configured (not yet made absolute) into path, which holds
// kPathCapacity bytes; the value holds at most 127 characters. An audio step's pair without
// a key of its own falls back to the step's key. False when neither is set.
bool readVideoPath(int step, int pair, char* path);

#endif
