// OK and the apply phase with every call to the system failing in turn, the
// way a storage engine is tested for recovery: the first call, then the
// second, ... until a run no longer reaches the fault; once as a passing
// fault, once as one that stays. After every run nothing half-made is left
// behind and restoring the run's backup set brings back every byte and every
// registry value; after a passing fault each file is also wholly old or
// wholly new (its step was put back), and the fault was reported at most once.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "app/undo.h"
#include "dialog/confirmation.h"
#include "install/apply_phase.h"
#include "backups/journal.h"
#include "backups/sets.h"
#include "tests/doubles/listed_sets.h"
#include "tests/doubles/escaped.h"
#include "tests/doubles/expected_tables.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/memory_registry_os.h"
#include "tests/doubles/power_loss_os.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::install {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;
using Values = std::map<std::string, std::string>;

constexpr const char* kGames[] = {"hl2", "episodic", "ep2"};
constexpr const char* kMods[] = {"VYhl2", "VYepisodic", "VYep2"};
constexpr const char* kLoose = "\\custom\\1_VY_looseFiles\\";

// A game folder where OK switches every content set, installs SweetFX with an
// SMAA preset, removes ReShade, resets the anti-aliasing values and deletes VR_TAG.
void MakeGame(const std::string& base) {
  const auto put = [&](const std::string& relative, const std::string& bytes) {
    const std::string path = base + "\\" + relative;
    testing::MakeFolder(path.substr(0, path.rfind('\\')));
    testing::WriteFileBytes(path, bytes);
  };
  for (const char* set : {"HD_weapons", "LO_weapons"}) {
    const std::string branch = "Repository\\" + std::string(set) + "\\hl2\\";
    put(branch + "models\\weapons\\tag", set);
    put(branch + "models\\weapons\\v_pistol.mdl", std::string(set) + " pistol");
    put(branch + "scripts\\weapon_pistol.txt", std::string(set) + " script");
    put(branch + "sound\\weapons\\ar2\\fire1.wav", std::string(set) + " ar2");
    put(branch + "sound\\weapons\\smg1\\fire1.wav", std::string(set) + " smg1");
  }
  for (const char* game : kGames) {
    const std::string loose = std::string(game) + kLoose;
    put(loose + "models\\weapons\\tag", "LO_weapons");
    put(loose + "models\\weapons\\v_pistol.mdl", "LO_weapons pistol");
    put(loose + "scripts\\weapon_pistol.txt", "LO_weapons script");
    put(loose + "sound\\weapons\\ar2\\fire1.wav", "LO_weapons ar2");
    put(loose + "sound\\weapons\\smg1\\fire1.wav", "LO_weapons smg1");
  }
  for (const char* set : {"Show_Anamorph_Sprites", "Hide_Anamorph_Sprites"}) {
    put("Repository\\" + std::string(set) + "\\hl2\\materials\\sprites\\glow01.vmt", set);
  }
  put(std::string("hl2") + kLoose + "materials\\sprites\\glow01.vmt", "Hide_Anamorph_Sprites");
  for (const char* set : {"VY_Skill", "VALVE_Skill"})
    put("Repository\\" + std::string(set) + "\\skill.cfg", set);
  for (const char* time : {"NIGHT", "DAYLIGHT"}) {
    const std::string maps = std::string("hl2") + kLoose + "maps\\";
    put(maps + time + "\\d2_coast_01.bsp", time);
    put(maps + time + "\\graphs\\d2_coast_01.ain", time);
  }
  put(std::string("hl2") + kLoose + "maps\\d2_coast_01.bsp", "DAYLIGHT");
  put(std::string("hl2") + kLoose + "maps\\graphs\\d2_coast_01.ain", "DAYLIGHT");
  const std::string precache = "\"" + testing::PrecacheSwitch("ppe_sunrays.txt", '1') + "\n\"" +
                               testing::PrecacheSwitch("ppe_sunrays_strong.txt", '0') + "\n";
  for (const char* mod : kMods) {
    put(std::string(mod) + "\\cfg\\autoexec.cfg", "bind \"F5\" \"jpeg\"\r\nrk_ppe_sharpen 1\r\n");
    put(std::string(mod) + "\\cfg\\skill.cfg", "VALVE_Skill");
    put(std::string(mod) + "\\shadereditorui\\postprocessing_precache.txt", precache);
  }
  put("SweetFX_Resources\\bin\\d3d9.dll", "SweetFX d3d9");
  put("SweetFX_Resources\\bin\\injector.ini", "SweetFX injector");
  put("SweetFX_Resources\\Main\\SweetFX_preset.txt", "// template\r\n");
  put("SweetFX\\Presets\\SMAA_Sharp.txt", "SMAA_Sharp");
  put("bin\\ReShade.fx", "ReShade fx");
  put("bin\\d3d9.dll", "ReShade d3d9");
  put("d3d9.dll", "ReShade d3d9");
  put("Reshadebloom.fx", "ReShade bloom");
  put("VR_TAG", "Holodeck\r\n");
}

model::ProgramState ChosenState(const std::string& base) {
  model::ProgramState state;
  model::FillValueTables(state);
  model::SetStartDirectory(state, base);
  state.SteamLanguage = "english";
  testing::SetSunraysPatterns(state);
  model::SettingsState& chosen = state.Settings;
  chosen.VeyraWeapons = chosen.AnamorphFlares = chosen.VeyraSkill = chosen.CoastNight = 1;
  chosen.SweetFx = chosen.Fxaa = chosen.Sunrays = chosen.Sharpen = 1;
  chosen.SunraysLevel = 2;
  chosen.SelectedSweetFxPreset = "SMAA_Sharp";
  state.Installed.ReShadeInstalled = 1;
  return state;
}

// The files that differ, one line each; "" when none does.
std::string Differences(const Files& expected, const Files& actual) {
  std::string lines;
  for (const auto& [file, bytes] : expected) {
    const auto found = actual.find(file);
    if (found == actual.end()) {
      lines += file + ": missing\n";
    } else if (found->second != bytes) {
      lines += file + ": \"" + testing::Escaped(found->second) + "\" instead of \"" +
               testing::Escaped(bytes) + "\"\n";
    }
  }
  for (const auto& [file, bytes] : actual) {
    if (!expected.count(file)) lines += file + ": should not be there\n";
  }
  return lines;
}

Values RegistrySnapshot(platform::Os& os) {
  Values values;
  // A key written twice is one key: its values are read once.
  for (const testing::AntiAliasingKey& settings : testing::kAntiAliasingKeys) {
    const std::string key = settings.path;
    for (const char* name : testing::kAntiAliasingValueNames) {
      const std::optional<platform::RegistryValue> value =
          os.RegistryReadValue(platform::hkey::kCurrentUser, key, name);
      values[key + " " + name] =
          value ? std::to_string(value->type) + ":" + testing::Escaped(value->data) : "absent";
    }
  }
  return values;
}

class FaultSweepTest : public ::testing::Test {
 protected:
  // OK (the console scripts) and the apply phase, on `os`; the calls counted.
  int RunOk(testing::FaultInjectingOs& faults) {
    RunOkOn(faults);
    return faults.counted_calls();
  }
  void RunOkOn(platform::Os& os) {
    backups::Journal journal(os, game.path(), "OK");
    testing::RecordingOs recorder(journal);
    model::ProgramState state = ChosenState(game.path());
    dialog::SaveConsoleScripts(recorder, state);
    RunApplyPhase(recorder, state, journal);
    journal.Finish();
    messages_ = recorder.messages;
  }

  // The next start after a power cut: the offer to undo what was interrupted,
  // answered Yes; an OK that had finished is undone with /restore instead.
  void NextStart(platform::Os& os) {
    testing::RecordingOs player(os);
    player.answers = {platform::mb::kIdYes};
    model::ProgramState state = ChosenState(game.path());
    std::vector<backups::BackupSet> sets;
    ASSERT_TRUE(backups::ListSets(*real, game.path(), sets).ok());
    const bool finished_ok = !sets.empty() && sets.back().complete && sets.back().undoes.empty();
    if (finished_ok) {
      player.arguments = {"/restore", "/quiet"};
      ASSERT_EQ(0, app::RunCommand(player, state, player.arguments));
    } else {
      app::OfferRecovery(player, state);
    }
  }

  void Fresh() {
    std::error_code ignored;
    fs::remove_all(testing::FileSystemPath(game.path()), ignored);
    testing::MakeFolder(game.path());
    MakeGame(game.path());
    registry.Clear();
  }

  testing::ScratchFolder game;
  std::unique_ptr<platform::Os> backend = testing::MakeRealOs();
  // The game's registry keys in memory: other test programs share the real ones.
  testing::MemoryRegistryOs registry{*backend};
  platform::Os* real = &registry;
  std::vector<testing::ShownMessage> messages_;
};

TEST_F(FaultSweepTest, EveryFailingCallLeavesWholeFilesAndARestorableSet) {
  // The run without faults: what "new" means for every file, and how many calls there are.
  Fresh();
  const Files before = testing::FilesBelow(game.path());
  testing::FaultInjectingOs clean(*real);
  const int calls = RunOk(clean);
  ASSERT_TRUE(messages_.empty()) << messages_[0].text;
  const Files after = testing::FilesBelow(game.path());
  ASSERT_NE(before, after);
  ASSERT_GT(calls, 100);

  // Under Wine every call is slower: there every third is failed.
#ifdef _WIN32
  const int stride = 3;
#else
  const int stride = 1;
#endif
  int runs = 0;
  int last_passing_fault = 0;
  for (const bool persistent : {false, true}) {
    for (int call = 1;; call += stride) {
      SCOPED_TRACE((persistent ? "persistent fault at call " : "passing fault at call ") +
                   std::to_string(call));
      Fresh();
      const Values registry_start = RegistrySnapshot(*real);
      testing::FaultInjectingOs faults(*real);
      faults.FailCall(call, persistent ? 31 : 5, persistent);
      const int reached = RunOk(faults);
      ++runs;
      SCOPED_TRACE("the failed call (operation, path): " + faults.first_failed_call());

      // A fault that stays keeps the run from putting a step back or tidying
      // up: the next start tidies up, and the set puts everything back.
      if (persistent) {
        platform::SystemError code = 0;
        const auto lock = backups::LockGameFolder(*real, game.path(), code);
        ASSERT_NE(nullptr, lock) << code;
        backups::RemoveLeftovers(*real, game.path(), *lock);
      }
      // Each file wholly old or wholly new; nothing half-made anywhere.
      const Files now = testing::FilesBelow(game.path());
      for (const auto& [file, bytes] : persistent ? Files() : now) {
        const auto old_file = before.find(file);
        const auto new_file = after.find(file);
        const bool is_old = old_file != before.end() && old_file->second == bytes;
        const bool is_new = new_file != after.end() && new_file->second == bytes;
        EXPECT_TRUE(is_old || is_new) << file << " holds \"" << bytes << "\"";
      }
      for (const auto& [file, bytes] : testing::FilesBelow(game.path(), true)) {
        EXPECT_FALSE(file.ends_with(".veyra-new") || file.ends_with(".partial")) << file;
      }
      if (!persistent) {
        EXPECT_LE(messages_.size(), 1u) << messages_[0].text << messages_[1].text;
      }

      // Undoing the run's set (if it made one) gives back the state before OK.
      const std::vector<std::string> sets = testing::ListedSets(*real, game.path());
      if (!sets.empty()) {
        const std::optional<backups::BackupSet> set =
            backups::ReadSet(*real, game.path(), sets.back());
        ASSERT_TRUE(set.has_value());
        const backups::RestoreOutcome outcome = testing::RestoreLocked(*real, game.path(), {*set});
        EXPECT_TRUE(outcome.failures.empty()) << outcome.failures[0].Describe();
      }
      EXPECT_EQ("", Differences(before, testing::FilesBelow(game.path())));
      EXPECT_EQ(registry_start, RegistrySnapshot(*real));
      if (!persistent) last_passing_fault = call;
      if (reached < call || ::testing::Test::HasFailure()) break;
    }
  }
  std::printf("%d runs over %d calls\n", runs, calls);
  // A passing fault never keeps the run from its last call, in the log.
  EXPECT_GT(last_passing_fault, calls) << "the sweep stopped early";
}

// The power goes at a changing call of OK, and what had not been flushed is
// lost (dropped, or garbage); the next start's recovery gives back every file
// and value as before OK. Some of those cuts are followed by a second one
// during the recovery, at calls across all of it; the start after that
// finishes it, to the same end.
TEST_F(FaultSweepTest, APowerCutAtAnyCallOfOkOrOfItsRecoveryEndsAsBeforeOk) {
  Fresh();
  const Files before = testing::FilesBelow(game.path());
  const Values registry_before = RegistrySnapshot(*real);
  testing::PowerLossOs counting(*real);
  RunOkOn(counting);
  const int calls = counting.changing_calls();
  ASSERT_GT(calls, 40);
  // Every call of OK and every call of some recoveries is tried over the
  // strides' offsets; a run of the suite takes a sample of them. Under Wine
  // every call is slower: there the sample is thinner.
#ifdef _WIN32
  const int stride = 11, grid = 97, recovery_stride = 37;
#else
  const int stride = 3, grid = 61, recovery_stride = 13;
#endif
  int runs = 0;
  const auto lose = [](testing::PowerLossOs& power, int call) {
    power.Lose(call % 2 ? testing::PowerLossOs::Loss::kGarbage : testing::PowerLossOs::Loss::kDropped,
               static_cast<std::uint32_t>(call));
  };
  for (int call = 1; call <= calls; call += stride) {
    for (int recovery_call = 0;; recovery_call += recovery_stride) {
      SCOPED_TRACE("power cut at call " + std::to_string(call) + " of OK, " +
                   (recovery_call ? "then at call " + std::to_string(recovery_call) +
                                        " of the recovery"
                                  : std::string("recovery uncut")));
      Fresh();
      testing::PowerLossOs power(*real);
      power.CutAt(call);
      EXPECT_THROW(RunOkOn(power), testing::PowerCut);
      lose(power, call);
      ++runs;
      bool recovery_cut = false;
      if (recovery_call > 0) {
        testing::PowerLossOs again(*real);
        again.CutAt(recovery_call);
        try {
          NextStart(again);
        } catch (const testing::PowerCut&) {
          recovery_cut = true;
          lose(again, recovery_call);
        }
      }
      NextStart(*real);
      EXPECT_EQ("", Differences(before, testing::FilesBelow(game.path())));
      EXPECT_EQ(registry_before, RegistrySnapshot(*real));
      if (::testing::Test::HasFailure()) return;
      // Cuts during the recovery are tried for some cuts of OK, until the
      // recovery no longer reaches the cut.
      if (call % grid != 1 || (recovery_call > 0 && !recovery_cut)) break;
    }
  }
  std::printf("%d runs over %d changing calls\n", runs, calls);
}

// A volume with `free` bytes left: a file that grows past them is cut off
// where the space ends and the request fails with "disk full", as a copy or
// a write on a full disk does; deleting gives the room back.
class SmallDiskOs : public platform::ForwardingOs {
 public:
  SmallDiskOs(platform::Os& inner, std::uint64_t free) : ForwardingOs(inner), free_(free) {}

  platform::SystemError FreeSpace(const std::string&, std::uint64_t& bytes) override {
    bytes = free_;
    return platform::error::kSuccess;
  }
  platform::SystemError Copy(const std::string& from, const std::string& to) override {
    const std::string bytes = testing::ReadFileBytes(from);
    const std::uint64_t old = testing::PathExists(to) ? testing::ReadFileBytes(to).size() : 0;
    if (bytes.size() > old + free_) {
      testing::WriteFileBytes(to, bytes.substr(0, old + free_));
      free_ = 0;
      return platform::error::kDiskFull;
    }
    free_ -= bytes.size() - std::min<std::uint64_t>(old, bytes.size());
    free_ += old - std::min<std::uint64_t>(old, bytes.size());
    return inner_.Copy(from, to);
  }
  platform::SystemError Delete(const std::string& path) override {
    const std::uint64_t size = testing::PathExists(path) ? testing::ReadFileBytes(path).size() : 0;
    const platform::SystemError code = inner_.Delete(path);
    if (code == platform::error::kSuccess) free_ += size;
    return code;
  }
  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override {
    std::unique_ptr<platform::OpenFile> file = inner_.Open(path, access, error);
    if (!file) return nullptr;
    return std::make_unique<File>(*this, path, std::move(file));
  }
  platform::Result CopyFiles(const std::vector<FileCopy>& copies,
                             const CopyProgress& progress) override {
    return Os::CopyFiles(copies, progress);  // one request each
  }

 private:
  class File : public platform::ForwardingFile {
   public:
    File(SmallDiskOs& os, std::string path, std::unique_ptr<platform::OpenFile> inner)
        : ForwardingFile(std::move(inner)), os_(os), path_(std::move(path)) {}
    platform::SystemError WriteFromStart(std::string_view bytes, std::size_t& written) override {
      const std::uint64_t size = testing::ReadFileBytes(path_).size();
      if (bytes.size() > size + os_.free_) {
        written = 0;
        return platform::error::kDiskFull;
      }
      if (bytes.size() > size) os_.free_ -= bytes.size() - size;
      return inner_->WriteFromStart(bytes, written);
    }
    platform::SystemError Append(std::string_view bytes) override {
      if (bytes.size() > os_.free_) return platform::error::kDiskFull;
      os_.free_ -= bytes.size();
      return inner_->Append(bytes);
    }

   private:
    SmallDiskOs& os_;
    std::string path_;
  };

  std::uint64_t free_;
};

// OK on a volume with a few kilobytes free, up to a little more than the
// change needs: every file is wholly old or wholly new afterwards, and once
// there is room again /restore gives back the state before OK.
TEST_F(FaultSweepTest, OnAFullDiskEveryFileStaysWholeAndTheChangeCanBeUndone) {
  Fresh();
  const Files before = testing::FilesBelow(game.path());
  const Values registry_before = RegistrySnapshot(*real);
  testing::FaultInjectingOs clean(*real);
  platform::Ignore(RunOk(clean), "only what the change makes is wanted");
  const Files after = testing::FilesBelow(game.path());
  std::uint64_t needed = 0;
  for (const auto& [file, bytes] : testing::FilesBelow(game.path(), true)) needed += bytes.size();
  for (const auto& [file, bytes] : before) needed -= std::min<std::uint64_t>(needed, bytes.size());
  needed += 2 << 20;  // the room the journal leaves for its own files
  int runs = 0;
  for (std::uint64_t free = 64; free < needed + (needed >> 2); free += free / 3) {
    SCOPED_TRACE(std::to_string(free) + " bytes free of the " + std::to_string(needed) +
                 " the change needs");
    Fresh();
    {
      SmallDiskOs small(*real, free);
      RunOkOn(small);
    }
    ++runs;
    for (const auto& [file, bytes] : testing::FilesBelow(game.path())) {
      const auto old_file = before.find(file);
      const auto new_file = after.find(file);
      const bool is_old = old_file != before.end() && old_file->second == bytes;
      const bool is_new = new_file != after.end() && new_file->second == bytes;
      EXPECT_TRUE(is_old || is_new) << file << " holds \"" << testing::Escaped(bytes) << "\"";
    }
    const std::vector<std::string> sets = testing::ListedSets(*real, game.path());
    if (!sets.empty()) {
      const std::optional<backups::BackupSet> set = backups::ReadSet(*real, game.path(), sets.back());
      ASSERT_TRUE(set.has_value());
      const backups::RestoreOutcome outcome = testing::RestoreLocked(*real, game.path(), {*set});
      EXPECT_FALSE(outcome.refused()) << "the backups were damaged";
      EXPECT_TRUE(outcome.failures.empty()) << outcome.failures[0].Describe();
    }
    EXPECT_EQ("", Differences(before, testing::FilesBelow(game.path())));
    EXPECT_EQ(registry_before, RegistrySnapshot(*real));
    if (::testing::Test::HasFailure()) return;
  }
  std::printf("%d runs, %llu bytes needed\n", runs, static_cast<unsigned long long>(needed));
}

}  // namespace
}  // namespace veyra::install
