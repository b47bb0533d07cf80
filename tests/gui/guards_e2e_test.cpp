// The checks the real program makes after OK and before the first change: a
// running game or a file another program holds open, and a library of the
// player's own that removing the post-processing would delete.
#include <gtest/gtest.h>

#include <string>

#include "automation.h"
#include "e2e_support.h"
#include "workflow_support.h"

namespace veyra::gui {
namespace {

bool Says(const MessageSeen& message, const std::string& part) {
  return Utf8(message.text).find(part) != std::string::npos;
}

// The stand-in of the game's program (tests/gui/game_stand_in.cpp) under the
// name `program`, running until the object goes, holding `held` open unshared.
class StandIn {
 public:
  StandIn(const std::wstring& program, const std::wstring& held) {
    const std::wstring path = Folder() + program;
    if (program != L"hl2.exe" && !CopyFileW((Folder() + L"hl2.exe").c_str(), path.c_str(), FALSE)) {
      ADD_FAILURE() << "cannot make " << Utf8(path) << ", error " << GetLastError();
      return;
    }
    const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count_);
    const std::wstring ready_name = L"veyra-stand-in-ready-" + tag, stop_name = L"veyra-stand-in-stop-" + tag;
    ready_ = CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str());
    stop_ = CreateEventW(nullptr, TRUE, FALSE, stop_name.c_str());
    std::wstring command = L"\"" + path + L"\" " + ready_name + L" " + stop_name + L" \"" + held + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process_)) {
      ADD_FAILURE() << "cannot start " << Utf8(path) << ", error " << GetLastError();
      process_ = {};
      return;
    }
    const HANDLE either[] = {ready_, process_.hProcess};
    if (WaitForMultipleObjects(2, either, FALSE, kTimeoutMs) != WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process_.hProcess, &code);
      ADD_FAILURE() << Utf8(program) << " did not get hold of " << Utf8(held) << ": exit code " << code;
    }
  }
  ~StandIn() {
    Stop();
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 1);
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    CloseHandle(ready_);
    CloseHandle(stop_);
  }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  // Lets go of the file and ends; true once it has.
  bool Stop() {
    if (!process_.hProcess) return false;
    SetEvent(stop_);
    return WaitForSingleObject(process_.hProcess, kTimeoutMs) == WAIT_OBJECT_0;
  }

 private:
  // Where the build puts the stand-in: a folder beside the tests.
  static std::wstring Folder() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"game-stand-in\\";
  }

  static inline int count_ = 0;
  HANDLE ready_ = nullptr;
  HANDLE stop_ = nullptr;
  PROCESS_INFORMATION process_{};
};

struct InUseCase {
  const char* name;
  const wchar_t* program;
  bool says_game_runs;
};

class InUseTest : public ::testing::TestWithParam<InUseCase> {};

// OK while the game runs, or another program holds a weapon file the switch
// replaces: one message, nothing changed, the dialog stays. Retry while it
// still holds the file asks again; once it has let go, OK makes the whole change.
TEST_P(InUseTest, OkChangesNothingUntilTheFileIsLetGoThenEverything) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  const std::wstring pistol = game.path() + L"\\hl2" + kLooseFiles + L"\\models\\weapons\\v_pistol.mdl";
  WriteBytes(pistol, "the pistol before");
  StandIn stand_in(GetParam().program, pistol);

  Session run(game);
  ASSERT_DIALOG(run);
  ASSERT_TRUE(Click(run.dialog(), kWeapons));
  ExpectControls(run.dialog(), {{kWeapons, BST_CHECKED}});
  const Snapshot before = Take(game.path(), Keep::kDigest);
  ASSERT_TRUE(Click(run.dialog(), kOk));
  ASSERT_TRUE(run.program().AnswerNextMessage(IDCANCEL)) << run.program().Status();
  ASSERT_EQ(1u, run.program().messages().size()) << run.program().Status();
  const MessageSeen& said = run.program().messages()[0];
  EXPECT_EQ(GetParam().says_game_runs, Says(said, "The game (hl2.exe) is running.")) << Utf8(said.text);
  EXPECT_TRUE(Says(said, "Another program has this file open:\r\n" + Utf8(pistol) + "\r\n")) << Utf8(said.text);
  EXPECT_EQ(IDCANCEL, said.answer);
  EXPECT_TRUE(run.program().Running()) << run.program().Status();
  EXPECT_TRUE(IsWindowVisible(run.dialog())) << run.program().Status();
  ExpectControls(run.dialog(), {{kWeapons, BST_CHECKED}});
  EXPECT_EQ("", Differences(before, Take(game.path(), Keep::kDigest)));

  // Retry checks again: the file is still held.
  ASSERT_TRUE(Click(run.dialog(), kOk));
  ASSERT_TRUE(run.program().AnswerNextMessage(IDRETRY)) << run.program().Status();
  ASSERT_TRUE(run.program().AnswerNextMessage(IDCANCEL)) << run.program().Status();
  EXPECT_EQ("", Differences(before, Take(game.path(), Keep::kDigest)));

  ASSERT_TRUE(stand_in.Stop());
  ASSERT_TRUE(run.CloseWith(kOk));
  EXPECT_EQ(3u, run.program().messages().size()) << run.program().Status();
  for (const wchar_t* name : kGames) {
    SCOPED_TRACE(Utf8(name));
    ExpectCopied(game.path() + L"\\Repository\\HD_weapons\\hl2", game.path() + name + kLooseFiles);
  }
}

const InUseCase kInUseCases[] = {
    {"TheGame", L"hl2.exe", true},
    {"AnotherProgram", L"holder.exe", false},
};
INSTANTIATE_TEST_SUITE_P(Guards, InUseTest, ::testing::ValuesIn(kInUseCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Removing SweetFX deletes bin\dxgi.dll: one of the player's own is named in one
// question; No keeps it, and everything else is still done.
TEST(ForeignLibraryTest, TheQuestionNamesItNoKeepsItAndEverythingElseIsDone) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  const std::wstring dxgi = game.path() + L"\\bin\\dxgi.dll";
  const std::wstring leftover = game.path() + L"\\bin\\injector.ini";
  WriteBytes(dxgi, "the player's own injector");
  WriteBytes(leftover, "left over by SweetFX");

  Session run(game);
  ASSERT_DIALOG(run);
  ExpectControls(run.dialog(), {{kSweetFx, BST_UNCHECKED}});
  ASSERT_TRUE(Click(run.dialog(), kWeapons));
  ExpectControls(run.dialog(), {{kWeapons, BST_CHECKED}});
  ASSERT_TRUE(Click(run.dialog(), kOk));
  ASSERT_TRUE(run.program().AnswerNextMessage(IDNO)) << run.program().Status();
  ASSERT_TRUE(run.AwaitExit());
  ASSERT_EQ(1u, run.program().messages().size()) << run.program().Status();
  const MessageSeen& asked = run.program().messages()[0];
  EXPECT_TRUE(Says(asked, "\r\n" + Utf8(dxgi) + "\r\n")) << Utf8(asked.text);
  EXPECT_TRUE(Says(asked, "Delete it?")) << Utf8(asked.text);
  EXPECT_EQ(IDNO, asked.answer);

  EXPECT_EQ("the player's own injector", ReadBytes(dxgi).value_or("<missing>"));
  EXPECT_FALSE(Exists(leftover));
  for (const wchar_t* name : kGames) {
    SCOPED_TRACE(Utf8(name));
    ExpectCopied(game.path() + L"\\Repository\\HD_weapons\\hl2", game.path() + name + kLooseFiles);
  }
}

}  // namespace
}  // namespace veyra::gui
