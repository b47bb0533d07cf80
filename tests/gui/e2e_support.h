// What every end-to-end test needs: a game folder, the Steam language in the
// registry, and the configurator process.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace veyra::gui {

// Generous: the CI machine has two cores and Wine starts slowly.
inline constexpr DWORD kTimeoutMs = 30000;

// The program under test, from the command line (--exe PATH; a Unix path is
// taken as Wine's Z: drive).
const std::wstring& ExePath();

// A fresh, empty folder, or a copy of the sample game that the environment
// variable VEYRA_SAMPLE_GAME names; removed again at the end.
class GameFolder {
 public:
  GameFolder();
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
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

// VeyraConfig.exe started in a folder; ended by force if still running at the end.
class Configurator {
 public:
  explicit Configurator(const std::wstring& folder);
  ~Configurator();
  Configurator(const Configurator&) = delete;
  Configurator& operator=(const Configurator&) = delete;

  DWORD id() const { return process_.dwProcessId; }
  bool Running() const;
  // The visible settings dialog, or null when none showed within the timeout.
  HWND WaitForDialog() const;
  // The exit code, or nothing when the process is still running at the timeout.
  std::optional<DWORD> WaitForExit() const;

 private:
  PROCESS_INFORMATION process_{};
};

}  // namespace veyra::gui
