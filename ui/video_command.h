// Building the player's command line for an instruction video.
#ifndef UI_VIDEO_COMMAND_H
#define UI_VIDEO_COMMAND_H

#include <cstddef>

constexpr size_t kExtensionCapacity = 8;      // a dot and up to 6 characters
constexpr size_t kCommandLineCapacity = 256;  // 255 characters and the terminator

// The text from the path's last '.' (not its first character) to its end; ".mov" when
// there is none. False when that tail does not fit the extension buffer.
bool videoExtension(const char* path, char* out, size_t capacity);
// The template with its first '%' and the character after it replaced by the path. Only
// positions 0 .. length-3 are searched. False when there is none or the line does not fit.
bool composePlayerCommand(const char* commandTemplate, const char* path, char* out,
                          size_t capacity);

#endif
