#include "ferrin/win/AppMain.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  plat::CommandLineArgs args;
  return ferrin::appMain(instance, args, L"!APP_ICON");
}
