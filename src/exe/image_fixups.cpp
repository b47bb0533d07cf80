#include "exe/image_fixups.h"

#include <windows.h>
#include <winternl.h>

#include <atomic>

namespace veyra::platform::win32 {
namespace {

constexpr ULONG_PTR kPageSize = 0x1000;

// Set once the image is complete; after that no thread needs the one-time
// initialisation again. Both objects are reached relative to the code, so
// they work before relocation.
std::atomic<bool> g_ready{false};
INIT_ONCE g_fixups_once = INIT_ONCE_STATIC_INIT;
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

const IMAGE_NT_HEADERS& NtHeaders(const BYTE* module) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  return *reinterpret_cast<const IMAGE_NT_HEADERS*>(module + dos->e_lfanew);
}

const IMAGE_DATA_DIRECTORY& Directory(const BYTE* module, int entry) {
  return NtHeaders(module).OptionalHeader.DataDirectory[entry];
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

const PEB* OwnPeb() {
  return reinterpret_cast<const TEB*>(NtCurrentTeb())->ProcessEnvironmentBlock;
}

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
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(module + dir.VirtualAddress);
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

// Calls on_entry(rva) for each 64-bit address the relocation table lists. False
// on a table that is malformed, reaches outside the image or holds an entry
// type an x64 image never has; so the first walk checks it all before a
// later one changes anything.
template <typename OnEntry>
bool ForEachRelocation(const BYTE* base, OnEntry on_entry) {
  const IMAGE_DATA_DIRECTORY& dir = Directory(base, IMAGE_DIRECTORY_ENTRY_BASERELOC);
  const DWORD image_size = NtHeaders(base).OptionalHeader.SizeOfImage;
  if (dir.VirtualAddress == 0) return true;
  if (dir.VirtualAddress > image_size || dir.Size > image_size - dir.VirtualAddress) return false;
  DWORD offset = 0;
  while (dir.Size - offset >= sizeof(IMAGE_BASE_RELOCATION)) {
    const auto* header =
        reinterpret_cast<const IMAGE_BASE_RELOCATION*>(base + dir.VirtualAddress + offset);
    if (header->SizeOfBlock < sizeof(IMAGE_BASE_RELOCATION) ||
        header->SizeOfBlock > dir.Size - offset) {
      return false;
    }
    const auto* entries = reinterpret_cast<const WORD*>(header + 1);
    const DWORD count = (header->SizeOfBlock - sizeof(IMAGE_BASE_RELOCATION)) / sizeof(WORD);
    for (DWORD i = 0; i < count; ++i) {
      const int type = entries[i] >> 12;
      if (type == IMAGE_REL_BASED_ABSOLUTE) continue;  // padding
      const ULONG_PTR rva = static_cast<ULONG_PTR>(header->VirtualAddress) + (entries[i] & 0xFFF);
      if (type != IMAGE_REL_BASED_DIR64 || rva + sizeof(ULONG_PTR) > image_size) return false;
      on_entry(rva);
    }
    offset += header->SizeOfBlock;
  }
  return true;
}

// A page's protection with writing allowed, executable where it was.
DWORD WritableProtection(DWORD protection) {
  constexpr DWORD kExecutable =
      PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return protection & kExecutable ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE;
}

// The relocation plan holds a value per page of the image: the protection the
// page had before it was made writable, or one of these two marks.
constexpr DWORD kUnchanged = 0;         // no relocation writes to it
constexpr DWORD kToChange = ~DWORD{0};  // to be made writable

// Puts every changed page back to its own old protection. A page that cannot be
// put back stays writable, which the image's code does not mind.
void RestorePages(BYTE* base, const DWORD* old_protection, ULONG_PTR pages,
                  const SystemFunctions& system) {
  for (ULONG_PTR page = 0; page < pages; ++page) {
    if (old_protection[page] == kUnchanged || old_protection[page] == kToChange) continue;
    DWORD previous;
    system.protect(base + page * kPageSize, kPageSize, old_protection[page], &previous);
  }
}

// Makes every page a relocation writes to writable, each with its own call so
// that its own old protection is kept. All or nothing: when one page refuses,
// those already changed are put back.
bool MakePagesWritable(BYTE* base, DWORD* old_protection, ULONG_PTR pages,
                       const SystemFunctions& system) {
  for (ULONG_PTR page = 0; page < pages; ++page) {
    if (old_protection[page] != kToChange) continue;
    MEMORY_BASIC_INFORMATION info;
    BYTE* address = base + page * kPageSize;
    if (system.query(address, &info, sizeof(info)) != sizeof(info) ||
        !system.protect(address, kPageSize, WritableProtection(info.Protect),
                        &old_protection[page])) {
      old_protection[page] = kToChange;
      RestorePages(base, old_protection, pages, system);
      return false;
    }
  }
  return true;
}

// Finds every imported function (system libraries from System32 only) and
// calls on_import(slot, function) with its slot in the import address table.
// False as soon as a library or a function is not found.
template <typename OnImport>
bool ForEachImport(BYTE* base, const SystemFunctions& system, OnImport on_import) {
  const IMAGE_DATA_DIRECTORY& dir = Directory(base, IMAGE_DIRECTORY_ENTRY_IMPORT);
  if (dir.VirtualAddress == 0) return true;
  for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       import->Name != 0; ++import) {
    HMODULE module = system.load(reinterpret_cast<const char*>(base + import->Name), nullptr,
                                 LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return false;
    auto* lookup = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
    auto* bound = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; lookup->u1.AddressOfData != 0; ++lookup, ++bound) {
      LPCSTR name =
          IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal)
              ? MAKEINTRESOURCEA(IMAGE_ORDINAL(lookup->u1.Ordinal))
              : reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + lookup->u1.AddressOfData)
                    ->Name;
      FARPROC function = system.get_proc(module, name);
      if (!function) return false;
      on_import(bound, function);
    }
  }
  return true;
}

// The one-time completion of the image. It changes nothing unless it can do
// all of it: the imports are all found before the relocations are applied
// (all or none), and only then bound, so a failed attempt leaves the image as
// it was for a later call to try again.
BOOL CALLBACK CompleteImage(PINIT_ONCE, PVOID parameter, PVOID*) {
  const SystemFunctions& system = *static_cast<const SystemFunctions*>(parameter);
  BYTE* base = OwnBase();
  if (!ForEachImport(base, system, [](IMAGE_THUNK_DATA*, FARPROC) {})) return FALSE;
  const auto actual = reinterpret_cast<ULONG_PTR>(&g_self);
  const auto stored = reinterpret_cast<ULONG_PTR>(g_self);
  if (actual != stored && !ApplyRelocations(base, static_cast<LONG_PTR>(actual - stored), system)) {
    return FALSE;
  }
  if (!ForEachImport(base, system, [](IMAGE_THUNK_DATA* slot, FARPROC function) {
        slot->u1.Function = reinterpret_cast<ULONG_PTR>(function);
      })) {
    return FALSE;
  }
  g_ready.store(true, std::memory_order_release);
  return TRUE;
}

template <typename Function>
bool Find(const SystemFunctions& system, HMODULE kernel32, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(system.get_proc(kernel32, name)));
  return function != nullptr;
}

}  // namespace

bool ApplyRelocations(BYTE* base, LONG_PTR delta, const SystemFunctions& system) {
  const ULONG_PTR pages = (NtHeaders(base).OptionalHeader.SizeOfImage + kPageSize - 1) / kPageSize;
  // Zeroed memory of its own, as the heap's functions are imports not bound yet.
  auto* old_protection = static_cast<DWORD*>(
      system.allocate(nullptr, pages * sizeof(DWORD), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!old_protection) return false;
  // An address at the end of one page may reach into the next.
  const bool planned = ForEachRelocation(base, [&](ULONG_PTR rva) {
    old_protection[rva / kPageSize] = kToChange;
    old_protection[(rva + sizeof(ULONG_PTR) - 1) / kPageSize] = kToChange;
  });
  const bool writable = planned && MakePagesWritable(base, old_protection, pages, system);
  if (writable) {
    ForEachRelocation(base,
                      [&](ULONG_PTR rva) { *reinterpret_cast<ULONG_PTR*>(base + rva) += delta; });
    RestorePages(base, old_protection, pages, system);
  }
  system.release(old_protection, 0, MEM_RELEASE);
  return writable;
}

bool EnsureImageReady() {
  if (g_ready.load(std::memory_order_acquire)) return true;
  BYTE* base = OwnBase();
  // PEB.ImageBaseAddress names the process's program, which the loader completed.
  if (OwnPeb()->Reserved3[1] == base) {
    g_ready.store(true, std::memory_order_release);
    return true;
  }
  const BYTE* kernel32 = FindKernel32();
  if (!kernel32) return false;
  SystemFunctions system;
  system.get_proc = reinterpret_cast<GetProcAddressFn>(FindExport(kernel32, "GetProcAddress"));
  if (!system.get_proc) return false;
  HMODULE module = reinterpret_cast<HMODULE>(const_cast<BYTE*>(kernel32));
  if (!Find(system, module, "LoadLibraryExA", system.load) ||
      !Find(system, module, "VirtualQuery", system.query) ||
      !Find(system, module, "VirtualProtect", system.protect) ||
      !Find(system, module, "VirtualAlloc", system.allocate) ||
      !Find(system, module, "VirtualFree", system.release) ||
      !Find(system, module, "InitOnceExecuteOnce", system.execute_once)) {
    return false;
  }
  // Threads that call in together wait for the one that completes the image;
  // after a failure the next caller tries again.
  return system.execute_once(&g_fixups_once, &CompleteImage, &system, nullptr);
}

}  // namespace veyra::platform::win32
