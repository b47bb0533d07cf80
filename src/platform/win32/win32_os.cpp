// The rest of the operating system: common controls, folders, the registry,
// message boxes, the clock and language, the command line and console, processes.
#include "platform/win32/win32_os.h"

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include "platform/win32/wide_text.h"

namespace veyra::platform::win32 {

void RestrictDllSearchToSystem32() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

void Win32Os::InitCommonControls() {
  HMODULE library = LoadLibraryExW(L"COMCTL32.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!library) return;
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  using Init = void(WINAPI*)();
  if (auto init_ex = reinterpret_cast<InitEx>(
          reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")))) {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), 0x9FF};
    init_ex(&classes);
  } else if (auto init = reinterpret_cast<Init>(
                 reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControls")))) {
    init();
  }
  FreeLibrary(library);
}

std::optional<std::string> Win32Os::CurrentDirectory() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) {
      buffer.resize(length);
      return Narrow(buffer);
    }
    buffer.resize(length);  // too small: `length` includes the terminating zero
  }
}

std::optional<RegistryValue> Win32Os::RegistryReadValue(std::uint32_t root, const std::string& key,
                                                        const std::string& value_name) {
  HKEY opened;
  if (RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)), key.c_str(), 0, KEY_READ,
                    &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::optional<RegistryValue> result;
  std::string data(1024, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    const LSTATUS status = RegQueryValueExA(opened, value_name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &size);
    if (status == ERROR_MORE_DATA) {
      data.resize(size);
      continue;
    }
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      result = RegistryValue{type, data};
    }
    break;
  }
  RegCloseKey(opened);
  return result;
}

SystemError Win32Os::RegistryWriteValue(std::uint32_t root, const std::string& key,
                                        const std::string& value_name, const RegistryValue& value) {
  HKEY created;
  LSTATUS status = RegCreateKeyExA(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)),
                                   key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created,
                                   nullptr);
  if (status != ERROR_SUCCESS) return static_cast<SystemError>(status);
  status = RegSetValueExA(created, value_name.c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size()));
  RegCloseKey(created);
  return static_cast<SystemError>(status);
}

SystemError Win32Os::RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                         const std::string& value_name) {
  HKEY opened;
  LSTATUS status = RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)), key.c_str(),
                                 0, KEY_SET_VALUE, &opened);
  if (status != ERROR_SUCCESS) return static_cast<SystemError>(status);
  status = RegDeleteValueA(opened, value_name.c_str());
  RegCloseKey(opened);
  return static_cast<SystemError>(status);
}

std::string Win32Os::SystemDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? Narrow(std::wstring_view(buffer, length))
                                         : std::string("C:\\Windows\\System32");
}

int Win32Os::ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) {
  // Messages have no owner window. The window the player was working in takes
  // the activation back when the message closes, rather than whichever window
  // lies next (a tooltip, another program), so that its focus comes back too.
  HWND active = GetActiveWindow();
  const int answer = MessageBoxW(nullptr, Widen(text).c_str(),
                                 Widen(caption.empty() ? kDefaultMessageCaption : caption).c_str(),
                                 flags);
  if (active && IsWindow(active) && IsWindowVisible(active) && IsWindowEnabled(active)) {
    SetActiveWindow(active);
  }
  return answer;
}

void Win32Os::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

LocalTime Win32Os::Now() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint16_t Win32Os::UserInterfaceLanguage() { return GetUserDefaultUILanguage(); }

std::vector<std::string> Win32Os::Arguments() {
  // The C runtime has split the wide command line by the usual quoting rules.
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc && __wargv; ++i) arguments.push_back(Narrow(__wargv[i]));
  return arguments;
}

bool Win32Os::WriteToParentConsole(const std::string& text) {
  // Output the starting program redirected to a file or pipe comes first;
  // otherwise the console it runs in, when it has one.
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  const bool redirected = output && output != INVALID_HANDLE_VALUE &&
                          (GetFileType(output) == FILE_TYPE_DISK ||
                           GetFileType(output) == FILE_TYPE_PIPE);
  if (redirected) {
    DWORD written = 0;
    return WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  bool done = false;
  if (console != INVALID_HANDLE_VALUE) {
    const std::wstring wide = Widen(text);
    DWORD written = 0;
    done = WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    CloseHandle(console);
  }
  FreeConsole();
  return done;
}

std::optional<std::vector<ProcessEntry>> Win32Os::ProcessSnapshot() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<ProcessEntry> processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    processes.push_back({entry.th32ProcessID, Narrow(entry.szExeFile)});
  }
  CloseHandle(snapshot);
  return processes;
}

SystemError Win32Os::StartProcess(const std::string& application, const std::string& command_line,
                                  const std::string& working_directory) {
  const std::wstring app = application.empty() ? std::wstring() : WidePath(application);
  std::wstring line = Widen(command_line);
  const std::wstring folder = Widen(working_directory);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(app.empty() ? nullptr : app.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return GetLastError();
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return error::kSuccess;
}

void Win32Os::Terminate(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

}  // namespace veyra::platform::win32
