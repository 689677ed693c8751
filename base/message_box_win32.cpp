#include "base/message_box.h"

#include "base/message_box_win32.h"
#include "base/shared_word.h"

// Written on the window thread; a box may be shown from the MIDI thread too.
static Shared<HWND> owner;

void setMessageOwner(HWND window) {
  owner.set(window);
}

HWND messageOwner() {
  return owner.get();
}

int showMessage(const char* text, const char* caption, unsigned int type) {
  return MessageBoxA(owner.get(), text, caption, type);
}
