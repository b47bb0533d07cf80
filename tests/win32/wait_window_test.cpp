// The wait window of the Win32 backend, and the work it waits for beside its
// message loop, under the real system.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/win32/win32_os.h"

namespace veyra::platform::win32 {
namespace {

constexpr ULONGLONG kTimeoutMs = 10000;

HWND Bar(HWND window) { return FindWindowExW(window, nullptr, PROGRESS_CLASSW, nullptr); }

// The window of this thread captioned `caption`, or null.
HWND ThreadWindow(const wchar_t* caption) {
  struct Search {
    const wchar_t* caption;
    HWND found;
  } search{caption, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM argument) {
        auto& s = *reinterpret_cast<Search*>(argument);
        wchar_t text[64] = {};
        GetWindowTextW(hwnd, text, 64);
        if (lstrcmpW(text, s.caption) == 0) s.found = hwnd;
        return s.found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class WaitWindowTest : public ::testing::Test {
 protected:
  WaitWindowTest() {
    os.InitCommonControls();
    window = os.OpenWaitWindow("Copy files", "Please wait...", 1035);
    hwnd = ThreadWindow(L"Copy files");
  }

  Win32Os os;
  std::unique_ptr<WaitWindow> window;
  HWND hwnd = nullptr;
};

// Shown and painted before the work starts, with the label where it always
// was and the bar in the room below its line; gone with the object.
TEST_F(WaitWindowTest, IsPaintedAtOnceWithItsBarBelowTheLabel) {
  ASSERT_NE(nullptr, hwnd);
  HWND label = GetDlgItem(hwnd, 1035);
  HWND bar = Bar(hwnd);
  ASSERT_NE(nullptr, label);
  ASSERT_NE(nullptr, bar);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  for (HWND painted : {hwnd, label, bar}) {
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(painted, &pending, FALSE))
        << "still to be painted: " << pending.left << "," << pending.top << " - " << pending.right
        << "," << pending.bottom;
  }

  const auto units = [&](HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  RECT expected_label{10, 10, 160, 0};
  MapDialogRect(hwnd, &expected_label);
  RECT client{};
  GetClientRect(hwnd, &client);
  RECT width{0, 0, 169, 0};
  MapDialogRect(hwnd, &width);
  const RECT label_rect = units(label);
  const RECT bar_rect = units(bar);
  EXPECT_EQ(width.right, client.right);
  EXPECT_EQ(expected_label.left, label_rect.left);
  EXPECT_EQ(expected_label.top, label_rect.top);
  EXPECT_EQ(expected_label.right, label_rect.right);
  EXPECT_EQ(label_rect.left, bar_rect.left);
  EXPECT_EQ(label_rect.right, bar_rect.right);
  EXPECT_LE(label_rect.bottom, bar_rect.top) << "the bar lies under the label";
  EXPECT_LT(bar_rect.bottom, client.bottom);
  EXPECT_EQ(0, SendMessageW(bar, PBM_GETPOS, 0, 0));

  window.reset();
  EXPECT_FALSE(IsWindow(hwnd));
}

// The work runs on a second thread while this one answers the window: the bar
// shows what the work reports, however fast it reports, before the work ends.
TEST_F(WaitWindowTest, WorkBesideTheLoopSeesItsProgressShown) {
  ASSERT_NE(nullptr, hwnd);
  HWND bar = Bar(hwnd);
  ASSERT_NE(nullptr, bar);
  constexpr std::size_t kFiles = 30000;  // more than a thread's queue holds
  DWORD work_thread = 0;
  DWORD_PTR shown = 0;
  DWORD_PTR range = 0;
  os.RunBesideMessageLoop([&] {
    work_thread = GetCurrentThreadId();
    for (std::size_t done = 0; done <= kFiles; ++done) window->ShowProgress(done, kFiles);
    const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
    while (GetTickCount64() < deadline &&
           SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 1000, &shown) &&
           shown != kFiles) {
      SwitchToThread();
    }
    SendMessageTimeoutW(bar, PBM_GETRANGE, FALSE, 0, SMTO_NORMAL, 1000, &range);
  });
  EXPECT_NE(GetCurrentThreadId(), work_thread);
  EXPECT_EQ(kFiles, shown);
  EXPECT_EQ(kFiles, range);
}

// What the work throws comes out of the request; a request to quit that
// arrives meanwhile is left for the loop that ends the program.
TEST_F(WaitWindowTest, WorkThatThrowsThrowsHereAndAQuitRequestIsKept) {
  EXPECT_THROW(os.RunBesideMessageLoop([] { throw std::runtime_error("out of memory"); }),
               std::runtime_error);

  ASSERT_NE(nullptr, hwnd);
  HWND bar = Bar(hwnd);
  const DWORD window_thread = GetCurrentThreadId();
  DWORD_PTR shown = 0;
  os.RunBesideMessageLoop([&] {
    PostThreadMessageW(window_thread, WM_QUIT, 7, 0);
    // Once the bar shows this, the loop has taken the request out of the queue.
    window->ShowProgress(1, 2);
    const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
    while (GetTickCount64() < deadline &&
           SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 1000, &shown) && shown != 1) {
      SwitchToThread();
    }
  });
  EXPECT_EQ(1u, shown);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(7u, msg.wParam);
}

}  // namespace
}  // namespace veyra::platform::win32
