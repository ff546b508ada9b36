#include "ledrow/app/win/AppMain.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  plat::CommandLineArgs args;
  return addrbook::appMain(instance, args);
}
