// The automation's lookups into windows of another thread while that thread
// destroys them. Under Wine 10, GetDlgItem there hangs the Wine server for
// good: it asks for the siblings of the window's first child, and the server
// walks that list forever once the child, being destroyed, has left it. Every
// process of the session then waits, the test, its watchdog and the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "automation.h"

namespace veyra::gui {
namespace {

constexpr int kTextId = 0xFFFF;  // the text of a message box
constexpr int kOtherId = 1035;

// Makes a window with two controls and destroys it, over and over, until told to stop.
struct Churn {
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> stop{false};
  std::atomic<long> destroyed{0};

  void Run() {
    while (!stop) {
      HWND parent = CreateWindowExW(0, L"STATIC", L"closing", WS_POPUP, 0, 0, 200, 100, nullptr,
                                    nullptr, nullptr, nullptr);
      for (int id : {kOtherId, kTextId}) {
        CreateWindowExW(0, L"STATIC", L"text", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
      }
      window = parent;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      DestroyWindow(parent);
      ++destroyed;
    }
  }
};

TEST(LookupTest, ControlsOfAWindowThatAnotherThreadDestroysAreLookedUpWithoutHangingWine) {
  Churn churn;
  std::thread maker([&] { churn.Run(); });
  long lookups = 0;
  const ULONGLONG until = GetTickCount64() + 1500;
  while (GetTickCount64() < until) {
    if (HWND window = churn.window) {
      Control(window, kTextId);
      ChildOfClass(window, L"Static");
      IsMessageBox(window);
      ++lookups;
    }
  }
  churn.stop = true;
  maker.join();
  // Under Wine 10, with Control looking up through GetDlgItem, this loop hung
  // the server within its 1.5 s and the test never ended.
  EXPECT_GT(churn.destroyed.load(), 100) << "windows destroyed while " << lookups << " lookups ran";
  EXPECT_GT(lookups, 1000) << "lookups while " << churn.destroyed << " windows were destroyed";
}

}  // namespace
}  // namespace veyra::gui
