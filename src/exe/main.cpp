#include <windows.h>

#include "app/configurator.h"
#include "app/top_level.h"
#include "platform/win32/win32_os.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  veyra::platform::win32::RestrictDllSearchToSystem32();
  veyra::platform::win32::Win32Os os;
  veyra::model::ProgramState state;
  return veyra::app::RunGuarded(os, state.SteamLanguage,
                                [&] { return veyra::app::RunConfigurator(os, state); });
}
