// The folder lock of the Win32 backend: other spellings of one folder, and
// holders in other processes, alive, finished or killed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::platform::win32 {
namespace {

class FolderLockWin32Test : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch;
  Win32Os os;
};

// Windows compares names without regard to case, and takes a trailing
// backslash or a "." component for the folder itself.
TEST_F(FolderLockWin32Test, EverySpellingOfTheFolderMeetsTheSameLock) {
  const std::string game = scratch.Join("Steam Läufer Game");
  testing::MakeFolder(game);
  const std::string spellings[] = {
      scratch.Join("STEAM LÄUFER GAME"),
      scratch.Join("steam läufer game\\"),
      scratch.Join(".\\Steam Läufer Game\\."),
  };
  for (const std::string& spelling : spellings) {
    SCOPED_TRACE(spelling);
    SystemError error = 0;
    const std::unique_ptr<Os::FolderLock> held = os.LockFolder(game, error);
    ASSERT_TRUE(held) << error;
    EXPECT_FALSE(os.LockFolder(spelling, error));
    EXPECT_EQ(error::kLockViolation, error);
  }
}

// A file is no folder to lock.
TEST_F(FolderLockWin32Test, AFileCannotBeLocked) {
  const std::string file = scratch.Join("autoexec.cfg");
  testing::WriteFileBytes(file, "x");
  SystemError error = 0;
  EXPECT_FALSE(os.LockFolder(file, error));
  EXPECT_EQ(static_cast<SystemError>(ERROR_DIRECTORY), error);
}

// A handle that closes itself.
class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  ~Handle() {
    if (handle_) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// folder_lock_holder, started beside this test program, holding the lock of `folder`.
class HolderProcess {
 public:
  explicit HolderProcess(const std::string& folder) {
    static int started = 0;
    const std::wstring prefix = L"Local\\VeyraLockTest-" + std::to_wstring(GetCurrentProcessId()) +
                                L"-" + std::to_wstring(++started);
    const std::wstring taken_name = prefix + L"-taken";
    const std::wstring release_name = prefix + L"-release";
    taken_ = std::make_unique<Handle>(CreateEventW(nullptr, TRUE, FALSE, taken_name.c_str()));
    release_ = std::make_unique<Handle>(CreateEventW(nullptr, TRUE, FALSE, release_name.c_str()));
    std::wstring program(MAX_PATH, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"folder_lock_holder.exe";
    std::wstring command = L"\"" + program + L"\" \"" + Widen(folder) + L"\" " + taken_name +
                           L" " + release_name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
      start_error_ = GetLastError();
      return;
    }
    CloseHandle(process.hThread);
    process_ = std::make_unique<Handle>(process.hProcess);
  }
  ~HolderProcess() {
    if (!process_) return;
    LetGo();
    if (!AwaitEnd()) Kill();
  }

  // True once the holder has the lock; false when it ended without it.
  ::testing::AssertionResult Holds() {
    if (!process_) return ::testing::AssertionFailure() << "not started: " << start_error_;
    const HANDLE either[] = {taken_->get(), process_->get()};
    switch (WaitForMultipleObjects(2, either, FALSE, kHolderTimeoutMs)) {
      case WAIT_OBJECT_0:
        return ::testing::AssertionSuccess();
      case WAIT_OBJECT_0 + 1:
        return ::testing::AssertionFailure() << "it ended with " << ExitCode() << " instead";
      default:
        return ::testing::AssertionFailure()
               << "it neither took the lock nor ended within " << kHolderTimeoutMs << " ms";
    }
  }
  void LetGo() { SetEvent(release_->get()); }
  // Its exit code once it has ended; STILL_ACTIVE when it does not end in time.
  DWORD Ended() {
    AwaitEnd();
    return ExitCode();
  }
  void Kill() {
    TerminateProcess(process_->get(), 99);
    AwaitEnd();
  }

 private:
  // A holder that is stuck fails the test instead of holding up the whole run.
  static constexpr DWORD kHolderTimeoutMs = 60000;

  bool AwaitEnd() {
    if (WaitForSingleObject(process_->get(), kHolderTimeoutMs) == WAIT_OBJECT_0) return true;
    ADD_FAILURE() << "the holder had not ended after " << kHolderTimeoutMs << " ms";
    return false;
  }

  DWORD ExitCode() {
    DWORD code = 0;
    GetExitCodeProcess(process_->get(), &code);
    return code;
  }

  std::unique_ptr<Handle> taken_;
  std::unique_ptr<Handle> release_;
  std::unique_ptr<Handle> process_;
  DWORD start_error_ = 0;
};

TEST_F(FolderLockWin32Test, AHolderInAnotherProcessKeepsThisOneOutUntilItLetsGo) {
  const std::string game = scratch.Join("game");
  testing::MakeFolder(game);
  HolderProcess holder(game);
  ASSERT_TRUE(holder.Holds());
  SystemError error = 0;
  EXPECT_FALSE(os.LockFolder(scratch.Join("GAME\\"), error));
  EXPECT_EQ(error::kLockViolation, error);
  // Nor can a third process take it.
  HolderProcess third(game);
  EXPECT_FALSE(third.Holds());
  EXPECT_EQ(DWORD{error::kLockViolation}, third.Ended());

  holder.LetGo();
  EXPECT_EQ(0u, holder.Ended());
  EXPECT_TRUE(os.LockFolder(game, error)) << error;
}

// A holder that is killed, as a crash or the task manager ends it, leaves the lock free.
TEST_F(FolderLockWin32Test, AKilledHolderLeavesTheLockFree) {
  const std::string game = scratch.Join("game");
  testing::MakeFolder(game);
  HolderProcess holder(game);
  ASSERT_TRUE(holder.Holds());
  holder.Kill();
  SystemError error = 0;
  const std::unique_ptr<Os::FolderLock> lock = os.LockFolder(game, error);
  EXPECT_TRUE(lock) << error;
  // And, held here, it keeps the next process out.
  HolderProcess next(game);
  EXPECT_FALSE(next.Holds());
  EXPECT_EQ(DWORD{error::kLockViolation}, next.Ended());
}

}  // namespace
}  // namespace veyra::platform::win32
