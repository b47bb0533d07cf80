#include "platform/win32/image_fixups.h"

#include <windows.h>
#include <winternl.h>

namespace veyra::platform::win32 {
namespace {

using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using LoadLibraryExAFn = HMODULE(WINAPI*)(LPCSTR, HANDLE, DWORD);
using VirtualProtectFn = BOOL(WINAPI*)(LPVOID, SIZE_T, DWORD, PDWORD);

volatile LONG g_ready = 0;
// Holds its own address once relocations are applied; compared with the address
// the code computes relative to itself, it tells whether they are.
void* volatile g_self = const_cast<void**>(reinterpret_cast<void* volatile*>(&g_self));

BYTE* Bytes(const void* p) { return static_cast<BYTE*>(const_cast<void*>(p)); }

// The module's base, found from the address of this function (computed
// relative to the code, so right before relocation too).
BYTE* OwnBase() {
  auto address = reinterpret_cast<ULONG_PTR>(&OwnBase) & ~static_cast<ULONG_PTR>(0xFFFF);
  for (;; address -= 0x10000) {  // images start on 64 KiB boundaries
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(address);
    if (dos->e_magic == IMAGE_DOS_SIGNATURE && dos->e_lfanew > 0 && dos->e_lfanew < 0x1000 &&
        reinterpret_cast<const IMAGE_NT_HEADERS*>(address + dos->e_lfanew)->Signature ==
            IMAGE_NT_SIGNATURE) {
      return reinterpret_cast<BYTE*>(address);
    }
  }
}

const IMAGE_DATA_DIRECTORY& Directory(const BYTE* module, int entry) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(module + dos->e_lfanew);
  return nt->OptionalHeader.DataDirectory[entry];
}

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c; }

bool EndsWithFileName(const UNICODE_STRING& path, const wchar_t* name) {
  USHORT length = 0;
  while (name[length]) ++length;
  const USHORT chars = path.Length / sizeof(wchar_t);
  if (chars < length + 1 || path.Buffer[chars - length - 1] != L'\\') return false;
  for (USHORT i = 0; i < length; ++i) {
    if (LowerAscii(path.Buffer[chars - length + i]) != name[i]) return false;
  }
  return true;
}

const PEB* OwnPeb() { return reinterpret_cast<const TEB*>(NtCurrentTeb())->ProcessEnvironmentBlock; }

// kernel32 is always in the process; found through the loader's module list.
const BYTE* FindKernel32() {
  const LIST_ENTRY* head = &OwnPeb()->Ldr->InMemoryOrderModuleList;
  for (const LIST_ENTRY* link = head->Flink; link != head; link = link->Flink) {
    const auto* entry = CONTAINING_RECORD(link, LDR_DATA_TABLE_ENTRY, InMemoryOrderLinks);
    if (EndsWithFileName(entry->FullDllName, L"kernel32.dll")) return Bytes(entry->DllBase);
  }
  return nullptr;
}

bool SameName(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

// An export found by name; forwarded exports are not followed (GetProcAddress,
// the one looked up this way, is never forwarded).
void* FindExport(const BYTE* module, const char* name) {
  const IMAGE_DATA_DIRECTORY& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
  if (dir.VirtualAddress == 0) return nullptr;
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(module + dir.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(module + exports->AddressOfNames);
  const auto* ordinals = reinterpret_cast<const WORD*>(module + exports->AddressOfNameOrdinals);
  const auto* functions = reinterpret_cast<const DWORD*>(module + exports->AddressOfFunctions);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    if (!SameName(reinterpret_cast<const char*>(module + names[i]), name)) continue;
    const DWORD rva = functions[ordinals[i]];
    if (rva >= dir.VirtualAddress && rva < dir.VirtualAddress + dir.Size) return nullptr;
    return Bytes(module) + rva;
  }
  return nullptr;
}

bool ApplyRelocations(BYTE* base, LONG_PTR delta, VirtualProtectFn protect) {
  const IMAGE_DATA_DIRECTORY& dir = Directory(base, IMAGE_DIRECTORY_ENTRY_BASERELOC);
  const BYTE* block = base + dir.VirtualAddress;
  const BYTE* end = block + dir.Size;
  while (dir.VirtualAddress != 0 && block + sizeof(IMAGE_BASE_RELOCATION) <= end) {
    const auto* header = reinterpret_cast<const IMAGE_BASE_RELOCATION*>(block);
    if (header->SizeOfBlock < sizeof(IMAGE_BASE_RELOCATION)) return false;
    BYTE* page = base + header->VirtualAddress;
    DWORD old_protection;
    // Two pages: a value at the end of one page may reach into the next.
    if (!protect(page, 0x2000, PAGE_EXECUTE_READWRITE, &old_protection)) return false;
    const auto* entries = reinterpret_cast<const WORD*>(header + 1);
    const DWORD count = (header->SizeOfBlock - sizeof(IMAGE_BASE_RELOCATION)) / sizeof(WORD);
    for (DWORD i = 0; i < count; ++i) {
      if ((entries[i] >> 12) == IMAGE_REL_BASED_DIR64) {
        *reinterpret_cast<ULONG_PTR*>(page + (entries[i] & 0xFFF)) += delta;
      }
    }
    protect(page, 0x2000, old_protection, &old_protection);
    block += header->SizeOfBlock;
  }
  return true;
}

bool BindImports(BYTE* base, GetProcAddressFn get_proc, LoadLibraryExAFn load) {
  const IMAGE_DATA_DIRECTORY& dir = Directory(base, IMAGE_DIRECTORY_ENTRY_IMPORT);
  if (dir.VirtualAddress == 0) return true;
  for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       import->Name != 0; ++import) {
    HMODULE module = load(reinterpret_cast<const char*>(base + import->Name), nullptr,
                          LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return false;
    auto* lookup = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
    auto* bound = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; lookup->u1.AddressOfData != 0; ++lookup, ++bound) {
      LPCSTR name =
          IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal)
              ? MAKEINTRESOURCEA(IMAGE_ORDINAL(lookup->u1.Ordinal))
              : reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + lookup->u1.AddressOfData)->Name;
      FARPROC function = get_proc(module, name);
      if (!function) return false;
      bound->u1.Function = reinterpret_cast<ULONG_PTR>(function);
    }
  }
  return true;
}

}  // namespace

bool EnsureImageReady() {
  if (g_ready) return true;
  BYTE* base = OwnBase();
  // PEB.ImageBaseAddress names the process's program, which the loader completed.
  if (OwnPeb()->Reserved3[1] == base) {
    g_ready = 1;
    return true;
  }
  const BYTE* kernel32 = FindKernel32();
  if (!kernel32) return false;
  auto get_proc = reinterpret_cast<GetProcAddressFn>(FindExport(kernel32, "GetProcAddress"));
  if (!get_proc) return false;
  HMODULE kernel32_module = reinterpret_cast<HMODULE>(const_cast<BYTE*>(kernel32));
  auto load = reinterpret_cast<LoadLibraryExAFn>(
      reinterpret_cast<void*>(get_proc(kernel32_module, "LoadLibraryExA")));
  auto protect = reinterpret_cast<VirtualProtectFn>(
      reinterpret_cast<void*>(get_proc(kernel32_module, "VirtualProtect")));
  if (!load || !protect) return false;

  const auto actual = reinterpret_cast<ULONG_PTR>(&g_self);
  const auto stored = reinterpret_cast<ULONG_PTR>(g_self);
  if (actual != stored && !ApplyRelocations(base, static_cast<LONG_PTR>(actual - stored), protect)) {
    return false;
  }
  if (!BindImports(base, get_proc, load)) return false;
  g_ready = 1;
  return true;
}

}  // namespace veyra::platform::win32
