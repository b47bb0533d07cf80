// The wait window shown while the apply phase works, and the message loop
// that keeps it and the dialog answering meanwhile.
#include "platform/win32/win32_os.h"

#include <windows.h>
#include <commctrl.h>

#include <process.h>

#include <algorithm>
#include <exception>
#include <mutex>

#include "platform/win32/dialog_template.h"

namespace veyra::platform::win32 {
namespace {

// Sent (posted) to a wait window when its bar has something new to show.
constexpr UINT kShowProgress = WM_APP + 1;
// The label's line, and below it the bar, in dialog units.
constexpr short kWaitWidth = 169;
constexpr RECT kWaitLabel{10, 10, 160, 22};
constexpr RECT kWaitBar{10, 24, 160, 32};
constexpr short kWaitHeight = kWaitBar.bottom + 7;

class Win32WaitWindow : public WaitWindow {
 public:
  Win32WaitWindow(HWND hwnd, HWND bar) : hwnd_(hwnd), bar_(bar) {
    if (hwnd_) SetWindowLongPtrW(hwnd_, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
  }
  ~Win32WaitWindow() override {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  // Keeps the numbers and posts one message for them, unless one is still on
  // its way: a worker copying thousands of small files would otherwise fill
  // the thread's queue faster than the bar can be drawn.
  void ShowProgress(std::size_t done, std::size_t total) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = done;
      total_ = total;
      if (posted_ || !hwnd_) return;
      posted_ = true;
    }
    if (!PostMessageW(hwnd_, kShowProgress, 0, 0)) {
      std::lock_guard<std::mutex> lock(mutex_);
      posted_ = false;
    }
  }

  // On the window's thread, when the posted message arrives.
  void UpdateBar() {
    std::size_t done = 0;
    std::size_t total = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      posted_ = false;
      done = done_;
      total = total_;
    }
    // The bar counts in ints; an empty step shows an empty bar.
    constexpr std::size_t kMost = 0x7FFFFFFF;
    const std::size_t scale = total > kMost ? total / kMost + 1 : 1;
    SendMessageW(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::max<std::size_t>(total / scale, 1)));
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(std::min(done, total) / scale), 0);
  }

 private:
  HWND hwnd_;
  HWND bar_;
  std::mutex mutex_;
  std::size_t done_ = 0;
  std::size_t total_ = 0;
  bool posted_ = false;
};

INT_PTR CALLBACK WaitWindowProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != kShowProgress) return FALSE;
  if (auto* window = reinterpret_cast<Win32WaitWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER))) {
    window->UpdateBar();
  }
  return TRUE;
}

// Hands a retrieved message to the dialog it belongs to, or to its window.
void Dispatch(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (!root || !IsDialogMessageW(root, &msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

struct BesideWork {
  const std::function<void()>& work;
  std::exception_ptr failure;
};

unsigned __stdcall RunBesideWork(void* argument) {
  auto& task = *static_cast<BesideWork*>(argument);
  try {
    task.work();
  } catch (...) {
    task.failure = std::current_exception();
  }
  return 0;
}

}  // namespace

std::unique_ptr<WaitWindow> Win32Os::OpenWaitWindow(const std::string& caption,
                                                    const std::string& label, int label_id) {
  const std::string label_text = label;
  const ControlLayout controls[] = {
      {label_id, "IDC_WAIT_TEXT", ControlKind::kLabel, kWaitLabel.left, kWaitLabel.top,
       kWaitLabel.right - kWaitLabel.left, kWaitLabel.bottom - kWaitLabel.top, label_text.c_str(),
       false},
  };
  const DialogLayout layout{caption.c_str(), kWaitWidth, kWaitHeight, "MS Sans Serif", 8, controls};
  const std::vector<WORD> tmpl = BuildDialogTemplate(layout, kDialogStyle);
  HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                         reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()),
                                         // owned: closed, it gives the activation back
                                         GetActiveWindow(), &WaitWindowProc, 0);
  HWND bar = nullptr;
  if (hwnd) {
    RECT pixels = kWaitBar;
    MapDialogRect(hwnd, &pixels);
    bar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, pixels.left,
                          pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, hwnd,
                          nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    // Painted now: the work that follows may keep this thread from its messages for a while.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  return std::make_unique<Win32WaitWindow>(hwnd, bar);
}

bool Win32Os::PumpOneMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return true;
  }
  Dispatch(msg);
  return true;
}

void Win32Os::RunBesideMessageLoop(const std::function<void()>& work) {
  BesideWork task{work, nullptr};
  // _beginthreadex, not CreateThread: the work uses the C runtime.
  HANDLE thread =
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RunBesideWork, &task, 0, nullptr));
  if (!thread) {
    work();  // no second thread to be had: the work runs here, the windows wait
    return;
  }
  // A request to quit is kept for the loop that ends the program.
  std::optional<WPARAM> quit;
  // The end of the work is looked for after every wake-up and at least every
  // kRecheckMs: no wake-up that goes missing, and no wait that fails, can keep
  // this thread from seeing that the work is done, or its windows from their
  // messages meanwhile.
  constexpr DWORD kRecheckMs = 100;
  while (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) {
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(1, &thread, kRecheckMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_FAILED) WaitForSingleObject(thread, kRecheckMs);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = msg.wParam;
      } else {
        Dispatch(msg);
      }
    }
  }
  CloseHandle(thread);
  if (quit) PostQuitMessage(static_cast<int>(*quit));
  if (task.failure) std::rethrow_exception(task.failure);
}

}  // namespace veyra::platform::win32
