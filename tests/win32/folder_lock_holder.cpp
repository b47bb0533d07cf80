// Holds the lock of a folder from a process of its own, for the tests of the
// lock across processes:
//   folder_lock_holder FOLDER TAKEN_EVENT RELEASE_EVENT
// Sets the event named TAKEN_EVENT once it holds the lock and lets go when
// RELEASE_EVENT is set, then exits with 0; without the lock it exits at once
// with the system error that kept it out.
#include <windows.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return ERROR_INVALID_PARAMETER;
  HANDLE taken = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
  HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
  if (!taken || !release) return static_cast<int>(GetLastError());
  veyra::platform::win32::Win32Os os;
  veyra::platform::SystemError error;
  auto lock = os.LockFolder(veyra::platform::win32::Narrow(argv[1]), error);
  if (!lock) return static_cast<int>(error.value);
  SetEvent(taken);
  WaitForSingleObject(release, INFINITE);
  lock.reset();
  return 0;
}
