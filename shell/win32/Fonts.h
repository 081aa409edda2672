#pragma once
// Fonts by their character height in pixels, the way the windows and forms ask for them.

#include <windows.h>

namespace rsw::win32 {

inline HFONT MakeFont(int pixelHeight, const char* face, int weight = FW_NORMAL, bool italic = false,
                      BYTE family = FF_DONTCARE) {
  return CreateFontA(-pixelHeight, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, static_cast<BYTE>(DEFAULT_PITCH | family), face);
}

}  // namespace rsw::win32
