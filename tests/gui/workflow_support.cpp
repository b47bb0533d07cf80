#include "workflow_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "automation.h"

namespace veyra::gui {
namespace {

std::string Describe(const ControlState& got) {
  return "control " + std::to_string(got.id) + ": check " + std::to_string(got.check) +
         ", enabled " + std::to_string(got.enabled) + ", selection " +
         std::to_string(got.selection);
}

bool Holds(HWND dialog, const Want& want) {
  const ControlState got = ReadControl(dialog, Control(dialog, want.id));
  return (want.check == kAny || want.check == got.check) &&
         (want.enabled == kAny || want.enabled == static_cast<int>(got.enabled)) &&
         (want.selection == kAny || want.selection == got.selection);
}

// FNV-1a over the bytes, with their count: enough to tell contents apart.
std::string Digest(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ULL;
  char text[48];
  snprintf(text, sizeof text, "%zu bytes, %016llx", bytes.size(), static_cast<unsigned long long>(hash));
  return text;
}

void Collect(const std::wstring& folder, const std::wstring& relative, Keep keep, Snapshot& out) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + relative + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = relative + L"\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[path] = kFolderMarker;
      Collect(folder, path, keep, out);
    } else {
      const std::optional<std::string> bytes = ReadBytes(folder + path);
      out[path] = !bytes ? "<unreadable>" : keep == Keep::kBytes ? *bytes : Digest(*bytes);
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
}

constexpr int kLargeFilesPerSound = 8;
constexpr std::size_t kLargeFileSize = std::size_t{1} << 20;
const wchar_t* const kWeaponSounds[] = {L"357", L"ar1", L"ar2", L"Irifle",
                                        L"pistol", L"rpg", L"shotgun", L"smg1"};

void EnlargeWeaponSet(const GameFolder& game, const wchar_t* set, char fill) {
  std::string bytes(kLargeFileSize, fill);
  for (const wchar_t* sound : kWeaponSounds) {
    for (int n = 0; n < kLargeFilesPerSound; ++n) {
      // Each file starts with its name, so that no two of a set are alike.
      const std::wstring name = std::wstring(sound) + L"_" + std::to_wstring(n) + L".wav";
      bytes.replace(0, name.size() * 2, reinterpret_cast<const char*>(name.data()), name.size() * 2);
      ASSERT_NO_FATAL_FAILURE(WriteBytes(SetSounds(game, set) + L"\\" + sound + L"\\" + name, bytes));
    }
  }
}

}  // namespace

void ExpectControls(HWND dialog, const std::vector<Want>& wants) {
  WaitUntil(kTimeoutMs, [&] {
    return std::all_of(wants.begin(), wants.end(), [&](const Want& w) { return Holds(dialog, w); });
  });
  for (const Want& want : wants) {
    const ControlState got = ReadControl(dialog, Control(dialog, want.id));
    if (want.check != kAny) {
      EXPECT_EQ(want.check, got.check) << Describe(got);
    }
    if (want.enabled != kAny) {
      EXPECT_EQ(want.enabled, static_cast<int>(got.enabled)) << Describe(got);
    }
    if (want.selection != kAny) {
      EXPECT_EQ(want.selection, got.selection) << Describe(got);
    }
  }
}

std::wstring SelectedItem(HWND dialog, int id) {
  const ControlState list = ReadControl(dialog, Control(dialog, id));
  return list.selection >= 0 && list.selection < static_cast<int>(list.items.size())
             ? list.items[list.selection]
             : L"";
}

bool SelectItem(HWND dialog, int id, const std::wstring& text) {
  const std::vector<std::wstring> items = ReadControl(dialog, Control(dialog, id)).items;
  const auto item = std::find(items.begin(), items.end(), text);
  if (item == items.end()) return false;
  SendMessageTimeoutW(Control(dialog, id), CB_SETCURSEL, item - items.begin(), 0,
                      SMTO_ABORTIFHUNG, kTimeoutMs, nullptr);
  return SelectedItem(dialog, id) == text;
}

HWND WindowOf(DWORD process_id, const std::wstring& part) {
  struct Search {
    DWORD process_id;
    const std::wstring* part;
    HWND found;
  } search{process_id, &part, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->process_id || !IsWindowVisible(window)) return TRUE;
        // GetWindowText reads another process's caption without sending it a
        // message, so a process busy copying cannot hold the search up.
        wchar_t caption[256] = {};
        GetWindowTextW(window, caption, 256);
        if (std::wstring(caption).find(*s->part) == std::wstring::npos) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

::testing::AssertionResult Session::CloseWith(int button) {
  if (!Click(dialog_, button)) {
    return ::testing::AssertionFailure() << "cannot click " << button << " on the window \""
                                         << Utf8(WindowText(dialog_)) << "\": " << program_.Status();
  }
  return AwaitExit();
}

::testing::AssertionResult Session::AwaitExit() {
  const std::optional<DWORD> code = program_.WaitForExit();
  if (!code) return ::testing::AssertionFailure() << "still running: " << program_.Status();
  if (*code != 0) return ::testing::AssertionFailure() << "exit code " << *code << ": " << program_.Status();
  return ::testing::AssertionSuccess();
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << Utf8(path) << ": error " << GetLastError();
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(bytes.size(), written) << Utf8(path);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Snapshot Take(const std::wstring& folder, Keep keep) {
  Snapshot snapshot;
  Collect(folder, L"", keep, snapshot);
  return snapshot;
}

std::string Differences(const Snapshot& before, const Snapshot& after) {
  std::string out;
  for (const auto& [path, bytes] : before) {
    auto it = after.find(path);
    if (it == after.end()) out += " removed " + Utf8(path) + ";";
    else if (it->second != bytes) out += " changed " + Utf8(path) + ";";
  }
  for (const auto& [path, bytes] : after) {
    if (!before.count(path)) out += " added " + Utf8(path) + ";";
  }
  return out;
}

Snapshot GameFiles(const GameFolder& game) {
  Snapshot files = Take(game.path(), Keep::kDigest);
  std::erase_if(files, [](const auto& entry) {
    return entry.first == kBackups || entry.first.starts_with(kBackups + L"\\");
  });
  return files;
}

int CountFiles(const std::wstring& folder) {
  int count = 0;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    count += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(folder + L"\\" + name) : 1;
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return count;
}

void CopyInto(const std::wstring& from, const std::wstring& to) {
  for (const auto& [path, bytes] : Take(from)) {
    if (bytes == kFolderMarker) {
      CreateDirectoryW((to + path).c_str(), nullptr);
    } else {
      ASSERT_NO_FATAL_FAILURE(WriteBytes(to + path, bytes));
    }
  }
}

void InstallWeapons(const GameFolder& game) {
  for (const wchar_t* name : kGames) {
    ASSERT_NO_FATAL_FAILURE(CopyInto(game.path() + L"\\Repository\\HD_weapons\\hl2", game.path() + name + kLooseFiles));
  }
}

void InstallSweetFx(const GameFolder& game) {
  ASSERT_NO_FATAL_FAILURE(CopyInto(game.path() + L"\\SweetFX_Resources\\bin", game.path() + L"\\bin"));
  WriteBytes(game.path() + L"\\bin\\SweetFX_preset.txt", "#include \"SweetFX\\Presets\\Cinematic.txt\"\r\n");
}

std::wstring SetSounds(const GameFolder& game, const wchar_t* set) {
  return game.path() + L"\\Repository\\" + set + L"\\hl2\\sound\\weapons";
}

void LargeModWeapons(const GameFolder& game) {
  ASSERT_NO_FATAL_FAILURE(EnlargeWeaponSet(game, L"HD_weapons", 'h'));
}

void LargeInstalledModWeapons(const GameFolder& game) {
  ASSERT_NO_FATAL_FAILURE(EnlargeWeaponSet(game, L"HD_weapons", 'h'));
  ASSERT_NO_FATAL_FAILURE(InstallWeapons(game));
  ASSERT_NO_FATAL_FAILURE(EnlargeWeaponSet(game, L"LO_weapons", 'l'));
}

void NoSettingsKeys::Remove() {
  for (const char* key : kSettingsKeys) RegDeleteTreeA(HKEY_CURRENT_USER, key);
}

bool KeyExists(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void ExpectCopied(const std::wstring& from, const std::wstring& to) {
  const Snapshot source = Take(from);
  ASSERT_FALSE(source.empty()) << Utf8(from);
  for (const auto& [path, bytes] : source) {
    if (bytes == kFolderMarker) continue;
    const std::optional<std::string> copy = ReadBytes(to + path);
    EXPECT_TRUE(copy.has_value()) << "missing " << Utf8(to + path);
    if (copy) {
      EXPECT_EQ(bytes, *copy) << Utf8(to + path);
    }
  }
}

}  // namespace veyra::gui
