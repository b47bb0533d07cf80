// Stands in for the game's program in the end-to-end tests of the checks after OK:
//   hl2 READY_EVENT STOP_EVENT [FILE]
// Holds FILE (when given) open for reading and writing without sharing, as a
// running game holds its files, sets the event named READY_EVENT, and lets go
// once STOP_EVENT is set, then exits with 0; it exits at once with the system
// error that kept it from its events or the file.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) return ERROR_INVALID_PARAMETER;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
  HANDLE stop = OpenEventW(SYNCHRONIZE, FALSE, argv[2]);
  if (!ready || !stop) return static_cast<int>(GetLastError());
  HANDLE file = INVALID_HANDLE_VALUE;
  if (argc == 4) {
    file = CreateFileW(argv[3], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  }
  SetEvent(ready);
  WaitForSingleObject(stop, INFINITE);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return 0;
}
