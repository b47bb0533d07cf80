// The configurator's exports are called by programs that load the .exe as a
// library. A loader maps an executable loaded that way without binding its
// imports (and Wine also without applying its relocations), so before an
// export touches anything else it completes the image itself.
#pragma once

#include <windows.h>

namespace veyra::platform::win32 {

using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using LoadLibraryExAFn = HMODULE(WINAPI*)(LPCSTR, HANDLE, DWORD);
using VirtualQueryFn = SIZE_T(WINAPI*)(LPCVOID, PMEMORY_BASIC_INFORMATION, SIZE_T);
using VirtualProtectFn = BOOL(WINAPI*)(LPVOID, SIZE_T, DWORD, PDWORD);
using VirtualAllocFn = LPVOID(WINAPI*)(LPVOID, SIZE_T, DWORD, DWORD);
using VirtualFreeFn = BOOL(WINAPI*)(LPVOID, SIZE_T, DWORD);
using InitOnceExecuteOnceFn = BOOL(WINAPI*)(PINIT_ONCE, PINIT_ONCE_FN, PVOID, LPVOID*);

// The kernel32 functions the fix-ups call, found before any import is bound.
struct SystemFunctions {
  GetProcAddressFn get_proc = nullptr;
  LoadLibraryExAFn load = nullptr;
  VirtualQueryFn query = nullptr;
  VirtualProtectFn protect = nullptr;
  VirtualAllocFn allocate = nullptr;
  VirtualFreeFn release = nullptr;
  InitOnceExecuteOnceFn execute_once = nullptr;
};

// Adds `delta` to every address the relocation table of the image at `base`
// lists, or changes nothing and returns false when the table is malformed or
// a page it writes to cannot be made writable. Each page it writes to gets
// its own old protection back.
bool ApplyRelocations(BYTE* base, LONG_PTR delta, const SystemFunctions& system);

// True when this module's relocations are applied and its imports bound: at
// once when it runs as the process's program, otherwise after doing both
// (system libraries from System32 only). Touches no import and no absolute
// address before that is done.
bool EnsureImageReady();

}  // namespace veyra::platform::win32
