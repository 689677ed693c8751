// Instruction videos, played by whatever program is registered for their file type.
#ifndef UI_VIDEO_WIN32_H
#define UI_VIDEO_WIN32_H

void showVideoInstructions(int step, int pair);

#endif
