// GETINIDATA, WRITEINIDATA and DELETEINIDATA for outside callers that load the
// configurator as a library. They run without the program's start-up having
// run, so each completes the image first and keeps to the Win32 API and local
// objects. Until the image is complete, or when an argument does not fit its
// buffer, they fail (null or 0) and touch no file.
#include <windows.h>
#include <oleauto.h>

#include <optional>

#include "platform/ini_access.h"
#include "exe/image_fixups.h"

namespace {

using veyra::platform::IniArguments;
using veyra::platform::IniText;
using veyra::platform::ReadIniArguments;
using SysAllocStringByteLenFn = BSTR(WINAPI*)(LPCSTR, UINT);

// The returned text is a BSTR holding 8-bit text, allocated by oleaut32 so the
// caller can free it; oleaut32 is taken from System32 only and stays loaded
// for the strings handed out.
BSTR AllocateByteString(const char* text, UINT length) {
  HMODULE oleaut = LoadLibraryExW(L"oleaut32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!oleaut) return nullptr;
  auto allocate = reinterpret_cast<SysAllocStringByteLenFn>(
      reinterpret_cast<void*>(GetProcAddress(oleaut, "SysAllocStringByteLen")));
  return allocate ? allocate(text, length) : nullptr;
}

}  // namespace

extern "C" {

__declspec(dllexport) BSTR WINAPI
    GETINIDATA(const char* const* file, const char* const* section, const char* const* key,
               const char* const* default_text) {
  if (!veyra::platform::win32::EnsureImageReady()) return nullptr;
  const std::optional<IniArguments> args =
      ReadIniArguments(file, section, key, default_text, IniText::kDefault);
  if (!args) return nullptr;
  char result[veyra::platform::kIniTextBufferSize] = {};
  const DWORD length =
      GetPrivateProfileStringA(args->section.c_str(), args->key.c_str(), args->text.c_str(), result,
                               sizeof(result), args->file.c_str());
  return AllocateByteString(result, length);
}

__declspec(dllexport) LONG WINAPI WRITEINIDATA(const char* const* file, const char* const* section,
                                               const char* const* key, const char* const* value) {
  if (!veyra::platform::win32::EnsureImageReady()) return 0;
  const std::optional<IniArguments> args =
      ReadIniArguments(file, section, key, value, IniText::kValue);
  if (!args) return 0;
  return WritePrivateProfileStringA(args->section.c_str(), args->key.c_str(), args->text.c_str(),
                                    args->file.c_str());
}

__declspec(dllexport) LONG WINAPI
    DELETEINIDATA(const char* const* file, const char* const* section, const char* const* key) {
  if (!veyra::platform::win32::EnsureImageReady()) return 0;
  const std::optional<IniArguments> args =
      ReadIniArguments(file, section, key, nullptr, IniText::kValue);
  if (!args) return 0;
  return WritePrivateProfileStringA(args->section.c_str(), args->key.c_str(), nullptr,
                                    args->file.c_str());
}

}  // extern "C"
