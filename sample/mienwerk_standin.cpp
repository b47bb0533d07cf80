// A harmless stand-in for the companion tool in the sample game folder: it
// only says what it is, so the tool button can be tried without the real one.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr,
              L"This is the sample stand-in for the Mienwerk companion tool.\n"
              L"A real installation has the tool itself here.",
              L"Mienwerk (sample)", MB_OK | MB_ICONINFORMATION);
  return 0;
}
