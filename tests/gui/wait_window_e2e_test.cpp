// The wait window while a large content set is copied: painted, answering,
// and showing how far the copy has come.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "automation.h"
#include "workflow_support.h"

namespace veyra::gui {
namespace {

// The weapon set's sounds get this many files of this size each: copied into
// the three games, a few hundred MB, a few seconds of work.
constexpr const wchar_t* kSounds[] = {L"357", L"ar1", L"ar2", L"Irifle",
                                      L"pistol", L"rpg", L"shotgun", L"smg1"};
constexpr int kFilesPerSound = 3;
constexpr std::size_t kFileSize = std::size_t{4} << 20;

void EnlargeSounds(const GameFolder& game, const wchar_t* set) {
  std::string bytes(kFileSize, 'w');
  for (const wchar_t* sound : kSounds) {
    for (int n = 0; n < kFilesPerSound; ++n) {
      // Each file starts with its name, so that no two are alike.
      const std::wstring name = std::wstring(sound) + L"_large_" + std::to_wstring(n) + L".wav";
      bytes.replace(0, name.size() * 2, reinterpret_cast<const char*>(name.data()), name.size() * 2);
      ASSERT_NO_FATAL_FAILURE(WriteBytes(game.path() + L"\\Repository\\" + set +
                                             L"\\hl2\\sound\\weapons\\" + sound + L"\\" + name,
                                         bytes));
    }
  }
}

// A screen rectangle's pixels, as captured.
struct Capture {
  RECT rect{};
  std::vector<COLORREF> pixels;

  COLORREF At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y - rect.top) * (rect.right - rect.left) +
                  (x - rect.left)];
  }
  // How many pixels of `area` (screen coordinates, inside this capture) are `color`.
  int Count(const RECT& area, bool (*match)(COLORREF)) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) count += match(At(x, y)) ? 1 : 0;
    }
    return count;
  }
};

// Writes the capture as a 32-bit BMP, top row first.
bool SaveBitmap(const std::wstring& path, const Capture& capture) {
  const LONG width = capture.rect.right - capture.rect.left;
  const LONG height = capture.rect.bottom - capture.rect.top;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = -height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  const DWORD bits = static_cast<DWORD>(capture.pixels.size() * 4);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + bits;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  for (COLORREF pixel : capture.pixels) {
    const char bgra[4] = {static_cast<char>(GetBValue(pixel)), static_cast<char>(GetGValue(pixel)),
                          static_cast<char>(GetRValue(pixel)), 0};
    bytes.append(bgra, 4);
  }
  WriteBytes(path, bytes);
  return ReadBytes(path) == bytes;
}

// Where the test programs leave their reports (the folder of --gtest_output).
std::wstring ResultsFolder() {
  std::string output = GTEST_FLAG_GET(output);
  if (output.rfind("xml:", 0) == 0) output.erase(0, 4);
  const std::size_t slash = output.find_last_of("\\/");
  if (slash == std::string::npos) return L".";
  // GoogleTest makes the folder only when it writes its report, after the tests.
  const std::wstring folder = WindowsPath(std::wstring(output.begin(), output.begin() + slash));
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool IsDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 64; }
bool IsHighlight(COLORREF c) { return c == GetSysColor(COLOR_HIGHLIGHT); }

// While the weapons switch copies a few hundred MB, the window's label is
// painted, its bar fills, and the window answers at once throughout: it never
// counts as hung.
TEST(WaitWindowE2eTest, LargeContentSwitchKeepsItsWindowPaintedAnsweringAndFilling) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  Session run(game);
  ASSERT_DIALOG(run);
  // The set the switch copies is the one not installed now.
  const bool mod_weapons = ReadControl(run.dialog(), Control(run.dialog(), kWeapons)).check ==
                           BST_CHECKED;
  ASSERT_NO_FATAL_FAILURE(EnlargeSounds(game, mod_weapons ? L"LO_weapons" : L"HD_weapons"));
  ASSERT_TRUE(Click(run.dialog(), kWeapons));
  ExpectControls(run.dialog(), {{kWeapons, mod_weapons ? BST_UNCHECKED : BST_CHECKED}});
  ASSERT_TRUE(Click(run.dialog(), kOk));

  HWND wait = nullptr;
  ASSERT_TRUE(WaitUntil(kTimeoutMs, [&] {
    wait = WindowOf(run.program().id(), L"Copy files");
    return wait != nullptr || !run.program().Running();
  }));
  ASSERT_NE(nullptr, wait) << "no wait window: " << run.program().Status();

  int looks = 0;
  int hung = 0;
  DWORD slowest_answer_ms = 0;
  int most_text = 0;
  int most_fill = 0;
  Capture shot;  // the first that shows both the label's text and some fill
  const ULONGLONG deadline = GetTickCount64() + 4 * kTimeoutMs;
  while (IsWindow(wait) && GetTickCount64() < deadline) {
    hung += IsHungAppWindow(wait) ? 1 : 0;
    const ULONGLONG asked = GetTickCount64();
    DWORD_PTR ignored = 0;
    const bool answered =
        SendMessageTimeoutW(wait, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored) != 0;
    if (answered || IsWindow(wait)) {
      slowest_answer_ms =
          std::max(slowest_answer_ms, static_cast<DWORD>(GetTickCount64() - asked));
    }
    HWND label = Control(wait, 1035);
    HWND bar = ChildOfClass(wait, PROGRESS_CLASSW);
    RECT window_rect{}, label_rect{}, bar_rect{};
    if (!label || !bar || !GetWindowRect(wait, &window_rect) || !GetWindowRect(label, &label_rect) ||
        !GetWindowRect(bar, &bar_rect)) {
      continue;  // gone meanwhile
    }
    Capture capture{window_rect, CaptureScreen(window_rect)};
    if (!IsWindow(wait)) break;  // what was captured may be the screen behind it
    ++looks;
    // The bar's inside, without its edge.
    const RECT inside{bar_rect.left + 2, bar_rect.top + 2, bar_rect.right - 2, bar_rect.bottom - 2};
    const int text = capture.Count(label_rect, IsDark);
    const int fill = capture.Count(inside, IsHighlight);
    most_text = std::max(most_text, text);
    most_fill = std::max(most_fill, fill);
    if (shot.pixels.empty() && text > 0 && fill > 0) shot = capture;
  }
  EXPECT_FALSE(IsWindow(wait)) << "the wait window is still up after " << 4 * kTimeoutMs << " ms";
  ASSERT_TRUE(run.AwaitExit());

  EXPECT_LT(2, looks) << "the copy was over too soon to be watched";
  EXPECT_EQ(0, hung) << "counted as hung in " << hung << " of " << looks << " looks";
  EXPECT_GT(DWORD{1000}, slowest_answer_ms) << "the window answered only after that many ms";
  EXPECT_LT(10, most_text) << "the label's text was never painted";
  EXPECT_LT(0, most_fill) << "the bar never showed progress";
  if (!shot.pixels.empty()) {
    const std::wstring path = ResultsFolder() + L"\\wait-window.bmp";
    if (SaveBitmap(path, shot)) {
      std::printf("wait window captured in %s\n", Utf8(path).c_str());
    } else {
      ADD_FAILURE() << "the wait window's picture could not be saved in " << Utf8(path);
    }
  }
}

}  // namespace
}  // namespace veyra::gui
