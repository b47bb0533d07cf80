// What every end-to-end test needs: a game folder, the Steam language in the
// registry, and the configurator process.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace veyra::gui {

// Generous: the CI machine has two cores and Wine starts slowly.
inline constexpr DWORD kTimeoutMs = 30000;

// The program under test, from the command line (--exe PATH; a Unix path is
// taken as Wine's Z: drive).
const std::wstring& ExePath();

// A fresh folder, removed again at the end: a copy of the sample game that
// the environment variable VEYRA_SAMPLE_GAME names, or an empty one.
class GameFolder {
 public:
  enum class Content { kSampleGameIfNamed, kNothing };
  explicit GameFolder(Content content = Content::kSampleGameIfNamed);
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;
  const std::wstring& path() const { return path_; }
  bool holds_game() const { return holds_game_; }

 private:
  std::wstring path_;
  bool holds_game_ = false;
};

// HKCU\Software\Valve\Steam "Language" set to a value, or deleted for null,
// for the lifetime of the object; the previous state comes back afterwards.
class SteamLanguageValue {
 public:
  explicit SteamLanguageValue(const char* value);
  ~SteamLanguageValue();
  SteamLanguageValue(const SteamLanguageValue&) = delete;
  SteamLanguageValue& operator=(const SteamLanguageValue&) = delete;

 private:
  HKEY key_ = nullptr;
  bool created_valve_ = false;
  bool created_steam_ = false;
  std::optional<std::string> saved_;
  DWORD saved_type_ = REG_SZ;
};

struct MessageSeen {
  std::wstring caption;
  std::wstring text;
  int answer = 0;  // the ID of the button pressed: IDOK, IDYES, ...
};

// VeyraConfig.exe started in a folder; ended by force if still running at the
// end. While waiting it answers every message box the program shows with the
// box's first button, and remembers it.
class Configurator {
 public:
  // `arguments` follow the program's name on its command line. `output`, when
  // given, must be inheritable: it becomes the program's standard output.
  explicit Configurator(const std::wstring& folder, const std::wstring& arguments = L"",
                        HANDLE output = nullptr);
  ~Configurator();
  Configurator(const Configurator&) = delete;
  Configurator& operator=(const Configurator&) = delete;

  DWORD id() const { return process_.dwProcessId; }
  bool Running() const;
  // The visible settings dialog, or null when none showed within the timeout.
  HWND WaitForDialog();
  // The exit code, or nothing when the process is still running at the timeout.
  std::optional<DWORD> WaitForExit();
  // Ends the process at once, as the task manager would; true once it has ended.
  bool Kill();
  // Waits for the next message box while the program runs on, and answers it
  // with the button of that ID (IDNO, IDCANCEL, ...; 0 for the box's first);
  // false when none showed within the timeout.
  bool AnswerNextMessage(int button = 0);
  const std::vector<MessageSeen>& messages() const { return messages_; }
  // The buttons (IDYES, IDNO, ...) that answer the next boxes holding them,
  // in order; a box without the next of them gets its first button.
  void AnswerWith(std::vector<int> buttons) { answers_ = std::move(buttons); }
  // For failure messages: running or its exit code, and the messages answered.
  std::string Status() const;

 private:
  void AnswerMessageBoxes(int button = 0);

  PROCESS_INFORMATION process_{};
  std::vector<MessageSeen> messages_;
  std::vector<int> answers_;
};

}  // namespace veyra::gui
