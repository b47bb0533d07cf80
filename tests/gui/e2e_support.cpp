#include "e2e_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <mutex>

#include "automation.h"

namespace veyra::gui {
namespace {

std::wstring g_exe_path;

void CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CopyTree(from + L"\\" + name, to + L"\\" + name);
    } else {
      CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
}

void DeleteTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

constexpr const char* kSteamKey = "Software\\Valve\\Steam";

// The configurators started and not yet ended by their objects, for the watchdog.
std::mutex g_running_mutex;
std::map<DWORD, HANDLE> g_running;  // process ID -> its handle

// What a process that has not ended shows, for failure messages.
// Whether its windows answer tells a program idle in a message loop (a message
// box not seen, say) from one held in some other wait.
std::string Showing(DWORD process_id) {
  const std::optional<bool> answers = AnswersMessages(process_id, 2000);
  const char* answering = !answers ? "" : *answers ? "; its windows answer messages"
                                                   : "; a window of it answers no message in 2 s";
  return "; its threads: " + std::to_string(ThreadCount(process_id)) + answering +
         "; its windows:" + DescribeWindows(process_id);
}

// Ends gui_tests when one test runs longer than any test's bounded waits add
// up to: its waits give up on their own, so a test still running then is held
// up in a call to the system, and the suite must not wait for it. First the
// programs it started are described and ended, which frees a test waiting on
// them; a test still running a minute later ends the process.
class Watchdog : public ::testing::EmptyTestEventListener {
 public:
  static constexpr DWORD kTestLimitMs = 8 * kTimeoutMs;
  static constexpr DWORD kGraceMs = 60000;

  Watchdog() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    CloseHandle(CreateThread(nullptr, 0, &Watchdog::Run, this, 0, nullptr));
  }

  void OnTestStart(const ::testing::TestInfo& test) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      name_ = std::string(test.test_suite_name()) + "." + test.name();
      started_ = GetTickCount64();
      running_ = true;
    }
    SetEvent(wake_);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<Watchdog*>(self)->Watch();
    return 0;
  }

  void Watch() {
    for (;;) {
      std::string name;
      ULONGLONG started = 0;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_) {
          name = name_;
          started = started_;
        }
      }
      if (name.empty()) {
        WaitForSingleObject(wake_, INFINITE);
        continue;
      }
      const ULONGLONG now = GetTickCount64();
      if (now < started + kTestLimitMs) {
        WaitForSingleObject(wake_, static_cast<DWORD>(started + kTestLimitMs - now));
        continue;
      }
      if (!Still(name, started)) continue;
      std::printf("gui_tests: %s still runs after %lu s; ending the programs it started:\n",
                  name.c_str(), kTestLimitMs / 1000);
      EndPrograms();
      WaitForSingleObject(wake_, kGraceMs);
      if (Still(name, started)) {
        std::printf("gui_tests: %s still runs %lu s later; gui_tests ends here.\n", name.c_str(),
                    kGraceMs / 1000);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    }
  }

  bool Still(const std::string& name, ULONGLONG started) {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_ && name_ == name && started_ == started;
  }

  static void EndPrograms() {
    std::lock_guard<std::mutex> lock(g_running_mutex);
    for (const auto& [id, process] : g_running) {
      std::printf("  program %lu%s\n", id, Showing(id).c_str());
      TerminateProcess(process, 1);
    }
    std::fflush(stdout);
  }

  HANDLE wake_;  // set when a test starts
  std::mutex mutex_;
  std::string name_;
  ULONGLONG started_ = 0;
  bool running_ = false;
};

}  // namespace

const std::wstring& ExePath() { return g_exe_path; }

GameFolder::GameFolder(Content content) {
  static int counter = 0;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"veyra-gui-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  DeleteTree(path_);  // a leftover of a crashed run
  CreateDirectoryW(path_.c_str(), nullptr);
  const wchar_t* sample = _wgetenv(L"VEYRA_SAMPLE_GAME");
  if (content == Content::kSampleGameIfNamed && sample && *sample) {
    CopyTree(WindowsPath(sample), path_);
    holds_game_ = true;
  }
}

GameFolder::~GameFolder() { DeleteTree(path_); }

SteamLanguageValue::SteamLanguageValue(const char* value) {
  HKEY valve = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Valve", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &valve, &disposition) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open HKCU\\Software\\Valve";
    return;
  }
  created_valve_ = disposition == REG_CREATED_NEW_KEY;
  RegCloseKey(valve);
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSteamKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                      &disposition) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open HKCU\\" << kSteamKey;
    key_ = nullptr;
    return;
  }
  created_steam_ = disposition == REG_CREATED_NEW_KEY;
  DWORD size = 0;
  if (RegQueryValueExA(key_, "Language", nullptr, &saved_type_, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    RegQueryValueExA(key_, "Language", nullptr, &saved_type_, reinterpret_cast<BYTE*>(data.data()),
                     &size);
    saved_ = data;
  }
  const LSTATUS status =
      value ? RegSetValueExA(key_, "Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                             static_cast<DWORD>(strlen(value) + 1))
            : RegDeleteValueA(key_, "Language");
  if (status != ERROR_SUCCESS && !(value == nullptr && status == ERROR_FILE_NOT_FOUND)) {
    ADD_FAILURE() << "cannot set the Steam language, error " << status;
  }
}

SteamLanguageValue::~SteamLanguageValue() {
  if (!key_) return;
  if (saved_) {
    RegSetValueExA(key_, "Language", 0, saved_type_, reinterpret_cast<const BYTE*>(saved_->data()),
                   static_cast<DWORD>(saved_->size()));
  } else {
    RegDeleteValueA(key_, "Language");
  }
  RegCloseKey(key_);
  if (created_steam_) RegDeleteKeyA(HKEY_CURRENT_USER, kSteamKey);
  if (created_valve_) RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Valve");
}

Configurator::Configurator(const std::wstring& folder, const std::wstring& arguments,
                           HANDLE output) {
  std::wstring command = L"\"" + ExePath() + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (output) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  if (!CreateProcessW(ExePath().c_str(), command.data(), nullptr, nullptr, output != nullptr, 0,
                      nullptr, folder.c_str(), &startup, &process_)) {
    ADD_FAILURE() << "cannot start " << Utf8(ExePath()) << ", error " << GetLastError();
    process_ = {};
    return;
  }
  std::lock_guard<std::mutex> lock(g_running_mutex);
  g_running[process_.dwProcessId] = process_.hProcess;
}

Configurator::~Configurator() {
  if (!process_.hProcess) return;
  {
    std::lock_guard<std::mutex> lock(g_running_mutex);
    g_running.erase(process_.dwProcessId);
  }
  if (Running()) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, kTimeoutMs);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool Configurator::Kill() {
  if (!process_.hProcess) return false;
  TerminateProcess(process_.hProcess, 1);
  return WaitForSingleObject(process_.hProcess, kTimeoutMs) == WAIT_OBJECT_0;
}

bool Configurator::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void Configurator::AnswerMessageBoxes(int chosen) {
  for (HWND box : VisibleDialogs(process_.dwProcessId)) {
    if (!IsMessageBox(box)) continue;
    HWND button = chosen != 0 ? Control(box, chosen) : ChildOfClass(box, L"Button");
    if (chosen == 0 && !answers_.empty() && Control(box, answers_.front())) {
      button = Control(box, answers_.front());
      answers_.erase(answers_.begin());
    }
    if (!button) continue;
    messages_.push_back({WindowText(box), WindowText(Control(box, 0xFFFF)), GetDlgCtrlID(button)});
    PostMessageW(button, BM_CLICK, 0, 0);
    WaitUntil(kTimeoutMs, [&] { return !IsWindowVisible(box); });
  }
}

std::string Configurator::Status() const {
  std::string status = "the program ";
  DWORD code = 0;
  if (!process_.hProcess) {
    status += "did not start";
  } else if (Running()) {
    status += "is running" + Showing(process_.dwProcessId);
  } else {
    GetExitCodeProcess(process_.hProcess, &code);
    status += "ended with exit code " + std::to_string(code);
  }
  for (const MessageSeen& message : messages_) {
    status += "; it said \"" + Utf8(message.caption) + ": " + Utf8(message.text) + "\" (answered with button " +
              std::to_string(message.answer) + ")";
  }
  return status;
}

HWND Configurator::WaitForDialog() {
  if (!process_.hProcess) return nullptr;
  HWND dialog = nullptr;
  WaitUntil(kTimeoutMs, [&] {
    AnswerMessageBoxes();
    return (dialog = FindMainDialog(process_.dwProcessId)) != nullptr || !Running();
  });
  return dialog;
}

bool Configurator::AnswerNextMessage(int button) {
  const std::size_t seen = messages_.size();
  WaitUntil(kTimeoutMs, [&] {
    AnswerMessageBoxes(button);
    return messages_.size() > seen || !Running();
  });
  return messages_.size() > seen;
}

std::optional<DWORD> Configurator::WaitForExit() {
  if (!process_.hProcess) return std::nullopt;
  if (!WaitUntil(kTimeoutMs, [&] {
        AnswerMessageBoxes();
        return !Running();
      })) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

}  // namespace veyra::gui

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new veyra::gui::Watchdog);
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::wstring(argv[i]) == L"--exe") veyra::gui::g_exe_path = veyra::gui::WindowsPath(argv[i + 1]);
  }
  if (veyra::gui::g_exe_path.empty()) {
    fputs("usage: gui_tests --exe PATH_OF_VEYRACONFIG_EXE [gtest options]\n", stderr);
    return 2;
  }
  return RUN_ALL_TESTS();
}
