#include "ui/video_command.h"

#include <cstring>

bool videoExtension(const char* path, char* out, size_t capacity) {
  size_t length = strlen(path);
  const char* extension = ".mov";
  for (size_t i = length; i-- > 1;) {
    if (path[i] == '.') {
      extension = path + i;
      break;
    }
  }
  if (strlen(extension) >= capacity) {
    return false;
  }
  strcpy(out, extension);
  return true;
}

bool composePlayerCommand(const char* commandTemplate, const char* path, char* out,
                          size_t capacity) {
  size_t length = strlen(commandTemplate);
  const char* percent = nullptr;
  for (size_t i = 0; i + 2 < length; ++i) {
    if (commandTemplate[i] == '%') {
      percent = commandTemplate + i;
      break;
    }
  }
  if (!percent) {
    return false;
  }
  size_t head = static_cast<size_t>(percent - commandTemplate);
  const char* tail = percent + 2;
  if (head + strlen(path) + strlen(tail) >= capacity) {
    return false;
  }
  memcpy(out, commandTemplate, head);
  strcpy(out + head, path);
  strcat(out, tail);
  return true;
}
