// uiauto: drives the configurator's dialog from the command line.
//   uiauto wait [--timeout MS]  waits for the dialog of a running VeyraConfig.exe, has it
//                               painted, prints its caption, then "x y width height"
//                               (its window in screen pixels)
//   uiauto click ID             clicks the control with that ID
//   uiauto dump                 prints every control, one per line
//   uiauto startup PROGRAM      starts PROGRAM, prints the milliseconds until its
//                               dialog is visible, then closes it
// Exit status: 0 done, 1 not found or timed out, 2 usage.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <wchar.h>

#include <string>

#include "automation.h"
#include "expected_dialog.h"

namespace {

using namespace veyra::gui;

constexpr DWORD kDefaultTimeoutMs = 30000;

void Print(const std::string& text) { fwrite(text.data(), 1, text.size(), stdout); }

HWND FindConfiguratorDialog() {
  for (DWORD process : ProcessesNamed(L"VeyraConfig.exe")) {
    if (HWND dialog = FindMainDialog(process)) return dialog;
  }
  return nullptr;
}

std::string Quoted(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

int Wait(DWORD timeout_ms) {
  HWND dialog = nullptr;
  if (!WaitUntil(timeout_ms, [&] { return (dialog = FindConfiguratorDialog()) != nullptr; })) {
    fprintf(stderr, "uiauto: no VeyraConfig.exe dialog within %lu ms\n", timeout_ms);
    for (DWORD process : ProcessesNamed(L"VeyraConfig.exe")) {
      for (HWND box : VisibleDialogs(process)) {
        fprintf(stderr, "uiauto: a message box is open: %s: %s\n", Utf8(WindowText(box)).c_str(),
                Utf8(WindowText(Control(box, 0xFFFF))).c_str());
      }
    }
    return 1;
  }
  // Have it painted before anyone looks at the screen.
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT rect{};
  GetWindowRect(dialog, &rect);
  Print(Utf8(WindowText(dialog)) + "\n");
  Print(std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
        std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top) + "\n");
  return 0;
}

int ClickControl(int id) {
  HWND dialog = FindConfiguratorDialog();
  if (!dialog) {
    fprintf(stderr, "uiauto: no VeyraConfig.exe dialog\n");
    return 1;
  }
  if (!Click(dialog, id)) {
    fprintf(stderr, "uiauto: control %d is missing or disabled\n", id);
    return 1;
  }
  return 0;
}

int Dump() {
  HWND dialog = FindConfiguratorDialog();
  if (!dialog) {
    fprintf(stderr, "uiauto: no VeyraConfig.exe dialog\n");
    return 1;
  }
  const DialogUnits units(kDialogFontFace, kDialogFontPoints);
  for (const ControlState& control : ReadControls(dialog)) {
    const DialogUnits::Units rect = units.ToDialogUnits(control.rect);
    char head[192];
    snprintf(head, sizeof(head), "id=%d class=%s style=0x%08lX exstyle=0x%08lX rect=%d,%d,%d,%d enabled=%d check=",
             control.id, Utf8(control.class_name).c_str(), control.style, control.ex_style, rect.x, rect.y,
             rect.width, rect.height, control.enabled ? 1 : 0);
    std::string line = head;
    line += control.check < 0 ? "-" : std::to_string(control.check);
    line += " text=" + Quoted(control.text);
    if (lstrcmpiW(control.class_name.c_str(), L"ComboBox") == 0) {
      line += " items=[";
      for (std::size_t i = 0; i < control.items.size(); ++i) {
        line += (i ? "," : "") + Quoted(control.items[i]);
      }
      line += "] selection=" + std::to_string(control.selection == CB_ERR ? 0 : control.selection + 1);
    }
    Print(line + "\n");
  }
  return 0;
}

int Startup(const std::wstring& program_path) {
  const wchar_t* program = program_path.c_str();
  std::wstring command = L"\"" + std::wstring(program) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency, start, shown;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    fprintf(stderr, "uiauto: cannot start %ls (error %lu)\n", program, GetLastError());
    return 1;
  }
  HWND dialog = nullptr;
  const bool seen = WaitUntil(60000, [&] {
    return (dialog = FindMainDialog(process.dwProcessId)) != nullptr;
  });
  QueryPerformanceCounter(&shown);
  if (seen) {
    printf("%.1f\n", 1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) /
                         static_cast<double>(frequency.QuadPart));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  } else {
    fprintf(stderr, "uiauto: %ls showed no dialog\n", program);
  }
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return seen ? 0 : 1;
}

int Usage() {
  fputs("usage: uiauto wait [--timeout MS] | click ID | dump | startup PROGRAM\n", stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // "\n" line ends for the shell scripts that read us
  if (argc < 2) return Usage();
  const std::wstring command = argv[1];
  if (command == L"wait") {
    if (argc == 2) return Wait(kDefaultTimeoutMs);
    if (argc == 4 && std::wstring(argv[2]) == L"--timeout") {
      return Wait(static_cast<DWORD>(wcstoul(argv[3], nullptr, 10)));
    }
    return Usage();
  }
  if (command == L"click" && argc == 3) return ClickControl(_wtoi(argv[2]));
  if (command == L"dump" && argc == 2) return Dump();
  if (command == L"startup" && argc == 3) return Startup(WindowsPath(argv[2]));
  return Usage();
}
