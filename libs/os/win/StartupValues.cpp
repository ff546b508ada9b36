#include "os/win/StartupValues.h"

#include <windows.h>

namespace os {

static bool readHaveStdin() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!input || input == INVALID_HANDLE_VALUE)
    return false;
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &copy, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return false;
  CloseHandle(copy);
  return true;
}

static int readScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

bool haveStdin() {
  static const bool value = readHaveStdin();
  return value;
}

int screenDpi() {
  static const int value = readScreenDpi();
  return value;
}

int dpiScaled(int at96) { return MulDiv(at96, screenDpi(), 96); }

// Read at program start, whoever asks first.
static const bool readAtStart = (haveStdin(), screenDpi(), true);

} // namespace os
