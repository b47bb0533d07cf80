// One weapons switch after OK as the configurator makes it: the apply phase on
// the change journal and its Finish, which keep the old contents, against the
// same apply phase on the plain Os, which keeps nothing; and the journaled
// switch with the checks OK makes first (files held, free space, libraries). Both run on a game
// folder of their own shaped like the real one: two weapon sets of about 210 MB
// in 300 files (the same names, other bytes) in Repository, copied into the
// loose files of hl2, episodic and ep2. Every switch goes the other way from
// the one before, so each replaces every file.
//
// First ten switches each way from a fresh game folder: the size of the
// backups they leave against one set's, and the time of the first switch (the
// one that moves the old files into the store). Then the timed runs, with the
// store already holding both sets. About 2.2 GB of the temporary folder are
// used meanwhile, and freed at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/guards.h"
#include "install/apply_phase.h"
#include "backups/content_hash.h"
#include "backups/journal.h"
#include "backups/sets.h"
#include "platform/forwarding_os.h"
#include "platform/posix/posix_os.h"

namespace {

namespace fs = std::filesystem;
namespace backups = veyra::backups;
namespace install = veyra::install;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 300;
// Scripts, sounds, models and textures: about 680 KiB on average, as in copy_bench.
constexpr std::size_t kSizes[] = {8 << 10, 128 << 10, 512 << 10, 1 << 20, 1740 << 10};
// The folders of a weapon set, as the apply phase copies them.
constexpr const char* kWeaponFolders[] = {
    "models/weapons",       "scripts",             "sound/weapons/357",
    "sound/weapons/ar1",    "sound/weapons/ar2",   "sound/weapons/Irifle",
    "sound/weapons/pistol", "sound/weapons/rpg",   "sound/weapons/shotgun",
    "sound/weapons/smg1",
};
constexpr const char* kGames[] = {"hl2", "episodic", "ep2"};
constexpr int kSwitchesForSize = 10;

fs::path ScratchRoot() {
  static const fs::path root = [] {
    std::random_device random;
    return fs::temp_directory_path() / ("veyra-backup-bench-" + std::to_string(random()));
  }();
  return root;
}

// The two weapon sets, made once: file n of both has the same name and size.
struct WeaponSets {
  WeaponSets() {
    std::mt19937_64 bytes(42);
    for (int file = 0; file < kFiles; ++file) {
      const std::string name = std::string(kWeaponFolders[file % std::size(kWeaponFolders)]) +
                               "/file" + std::to_string(file) + ".bin";
      files.push_back(name);
      const std::size_t size = kSizes[(file / std::size(kWeaponFolders)) % std::size(kSizes)];
      for (const char* set : {"HD_weapons", "LO_weapons"}) {
        std::string content(size, '\0');
        for (std::size_t at = 0; at < size; at += 8) {
          const std::uint64_t word = bytes();
          std::memcpy(content.data() + at, &word, std::min<std::size_t>(8, size - at));
        }
        const fs::path path = Source(set) / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
      }
      set_bytes += size;
    }
  }
  static fs::path Source(const char* set) { return ScratchRoot() / "sets" / set / "hl2"; }

  std::vector<std::string> files;  // below a set's hl2 folder
  std::uintmax_t set_bytes = 0;
};

const WeaponSets& Sets() {
  static const WeaponSets sets;
  return sets;
}

// The backend with its pauses left out (the effect-file, SweetFX and VR steps
// pause between files), counting the messages a failed step would show.
class NoPauseOs : public veyra::platform::ForwardingOs {
 public:
  using ForwardingOs::ForwardingOs;
  void Sleep(std::uint32_t) override {}
  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override {
    ++messages;
    return ForwardingOs::ShowMessage(text, caption, flags);
  }
  int messages = 0;
};

// A game folder with the HD set installed in the three games' loose files.
class Game {
 public:
  explicit Game(const std::string& name) : root_(ScratchRoot() / name) {
    for (const char* set : {"HD_weapons", "LO_weapons"}) {
      for (const std::string& file : Sets().files) {
        const fs::path link = root_ / "Repository" / set / "hl2" / file;
        fs::create_directories(link.parent_path());
        // The sets are only read: both game folders share their bytes.
        fs::create_hard_link(WeaponSets::Source(set) / file, link);
      }
    }
    for (const char* game : kGames) {
      for (const std::string& file : Sets().files) {
        const fs::path installed = Destination(game) / file;
        fs::create_directories(installed.parent_path());
        fs::copy_file(WeaponSets::Source("HD_weapons") / file, installed);
      }
    }
    veyra::model::FillValueTables(state_);
    veyra::model::SetStartDirectory(state_, root_.string());
    state_.SteamLanguage = "english";
    state_.Settings.VeyraWeapons = state_.Installed.VeyraWeaponsInstalled = 1;
  }

  // Chooses the other weapon set and applies it, keeping the backups or not.
  // False when a step failed.
  bool Switch(bool journaled, bool guarded = false) {
    veyra::platform::posix::PosixOs posix;
    NoPauseOs os(posix);
    state_.Settings.VeyraWeapons = 1 - state_.Installed.VeyraWeaponsInstalled;
    backups::Journal journal(os, state_.BasePath, "OK");
    if (guarded && !veyra::app::CheckBeforeChanges(os, state_)) return false;
    if (journaled) {
      install::RunApplyPhase(journal, state_, journal);
      journal.Finish();
    } else {
      // The changes are made on the plain Os; the journal only hears of the steps.
      install::RunApplyPhase(os, state_, journal);
    }
    state_.Installed.VeyraWeaponsInstalled = state_.Settings.VeyraWeapons;
    return os.messages == 0;
  }

  // Whether every game's loose files hold the installed set, byte for byte.
  bool HoldsInstalledSet() const {
    const char* set = state_.Installed.VeyraWeaponsInstalled == 1 ? "HD_weapons" : "LO_weapons";
    for (const char* game : kGames) {
      for (const std::string& file : Sets().files) {
        if (Read(Destination(game) / file) != Read(WeaponSets::Source(set) / file)) return false;
      }
    }
    return true;
  }

  // Whether every content in the store has the hash it is kept under.
  bool StoreIsSound() const {
    if (!fs::exists(Store())) return true;
    for (const fs::directory_entry& entry : fs::directory_iterator(Store())) {
      if (backups::ContentHash(Read(entry.path())) != entry.path().filename().string()) return false;
    }
    return true;
  }

  fs::path Backups() const { return root_ / "VeyraConfig backups"; }
  fs::path Store() const { return Backups() / "store"; }
  const std::string& Folder() const { return state_.BasePath; }

  static std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

 private:
  fs::path Destination(const char* game) const {
    return root_ / game / "custom" / "1_VY_looseFiles";
  }

  fs::path root_;
  veyra::model::ProgramState state_;
};

struct Games {
  Games() : journaled("journaled"), plain("plain") {}
  Game journaled;
  Game plain;
};

Games& TheGames() {
  static Games games;
  return games;
}

// Writes out what earlier switches left in memory, so that no switch waits
// for another's data reaching the disk.
void WriteOut() {
  const int fd = open(ScratchRoot().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    syncfs(fd);
    close(fd);
  }
}

double TimedSwitch(Game& game, bool journaled, bool durable, bool& ok, bool guarded = false) {
  WriteOut();
  const Clock::time_point start = Clock::now();
  ok = game.Switch(journaled, guarded);
  if (durable) WriteOut();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::uintmax_t BytesBelow(const fs::path& folder) {
  std::uintmax_t bytes = 0;
  if (!fs::exists(folder)) return 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) bytes += entry.file_size();
  }
  return bytes;
}

// The backups folder: its parts, and how its size compares with the oldest
// set's: the bytes of the old contents it lists (all it replaced) and of its
// distinct ones (all it added to the store).
void PrintSizes(const Game& game, const char* when) {
  veyra::platform::posix::PosixOs os;
  std::vector<backups::BackupSet> sets;
  if (!backups::ListSets(os, game.Folder(), sets).ok()) {
    std::printf("%s: the backup sets cannot be listed\n", when);
    return;
  }
  const std::uintmax_t total = BytesBelow(game.Backups());
  const std::uintmax_t store = BytesBelow(game.Store());
  const std::uintmax_t manifests = BytesBelow(game.Backups() / "sets");
  std::uintmax_t replaced = 0, distinct = 0;
  std::size_t changes = 0;
  if (!sets.empty()) {
    if (const backups::BackupSet* set = &sets.front(); set->readable) {
      std::set<std::string> seen;
      for (const backups::Change& change : set->changes) {
        if (!change.old_hash) continue;
        ++changes;
        const std::uintmax_t size = fs::file_size(game.Store() / *change.old_hash);
        replaced += size;
        if (seen.insert(*change.old_hash).second) distinct += size;
      }
    }
  }
  std::size_t contents = 0;
  if (fs::exists(game.Store())) {
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(game.Store())) ++contents;
  }
  const auto mb = [](std::uintmax_t bytes) { return static_cast<double>(bytes) / 1e6; };
  std::printf("Backups %s: %.1f MB (store %.1f MB in %zu contents, %zu sets %.2f MB, log %.2f MB)\n",
              when, mb(total), mb(store), contents, sets.size(), mb(manifests),
              mb(total - store - manifests));
  std::printf("  oldest set: %zu old contents of %.1f MB, %.1f MB of them distinct (one weapon set: %.1f MB)\n",
              changes, mb(replaced), mb(distinct), mb(Sets().set_bytes));
  if (replaced == 0 || distinct == 0) return;
  std::printf("  backups / what one set replaced      %5.2f\n", mb(total) / mb(replaced));
  std::printf("  backups / what one set added to store %5.2f\n", mb(total) / mb(distinct));
}

// Ten switches each way from fresh game folders, alternating the two kinds.
bool SwitchForSize() {
  Games& games = TheGames();
  std::vector<double> journaled, plain;
  for (int n = 0; n < kSwitchesForSize; ++n) {
    bool ok_journaled = false, ok_plain = false;
    journaled.push_back(TimedSwitch(games.journaled, true, false, ok_journaled));
    plain.push_back(TimedSwitch(games.plain, false, false, ok_plain));
    if (!ok_journaled || !ok_plain) {
      std::printf("switch %d failed\n", n + 1);
      return false;
    }
  }
  std::printf("Ten switches each way from a fresh game folder (seconds, journaled / plain):\n");
  for (int n = 0; n < kSwitchesForSize; ++n) {
    std::printf("  %2d  %6.3f / %6.3f = %5.2f%s\n", n + 1, journaled[n], plain[n],
                journaled[n] / plain[n], n == 0 ? "  (the old files move into the store)" : "");
  }
  const std::vector<double> later_journaled(journaled.begin() + 2, journaled.end());
  const std::vector<double> later_plain(plain.begin() + 2, plain.end());
  std::printf("  medians of switches 3 to 10: %.3f / %.3f = %.2f\n", Median(later_journaled),
              Median(later_plain), Median(later_journaled) / Median(later_plain));
  PrintSizes(games.journaled, "after ten switches");
  const bool sound = games.journaled.HoldsInstalledSet() && games.plain.HoldsInstalledSet() &&
                     games.journaled.StoreIsSound();
  if (!sound) std::printf("the game folders or the store do not hold what they should\n");
  return sound;
}

// The guarded switches take turns with the journaled ones on the same game folder.
void Run(benchmark::State& run, bool journaled, bool guarded = false) {
  const bool durable = run.range(0) != 0;
  Game& game = journaled ? TheGames().journaled : TheGames().plain;
  for (auto _ : run) {
    bool ok = false;
    run.SetIterationTime(TimedSwitch(game, journaled, durable, ok, guarded));
    if (!ok) run.SkipWithError("a step failed");
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations() * std::size(kGames) *
                                                  Sets().set_bytes));
}

void Journaled(benchmark::State& run) { Run(run, true); }
void Plain(benchmark::State& run) { Run(run, false); }
void Guarded(benchmark::State& run) { Run(run, true, true); }

// durable:0 until the apply phase returns; durable:1 until its files are on the
// disk. Two iterations: one switch each way. Disk times vary: medians.
void Measure(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgName("durable")
      ->Arg(0)
      ->Arg(1)
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(2)
      ->Repetitions(7)
      ->ReportAggregatesOnly(true);
}
BENCHMARK(Journaled)->Apply(Measure);
BENCHMARK(Plain)->Apply(Measure);
BENCHMARK(Guarded)->Apply(Measure);

// Keeps the median time of every benchmark to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        times_[run.run_name.function_name + "/" + run.run_name.args] =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    for (const char* args : {"durable:0", "durable:1"}) {
      const char* until = args[8] == '0' ? "until the apply phase returns" : "until on the disk";
      const auto journaled = times_.find(std::string("Journaled/") + args);
      if (journaled == times_.end()) continue;
      if (const auto plain = times_.find(std::string("Plain/") + args); plain != times_.end()) {
        std::printf("Journaled / Plain, %s: %.3f s / %.3f s = %.2f\n", until, journaled->second,
                    plain->second, journaled->second / plain->second);
      }
      if (const auto guarded = times_.find(std::string("Guarded/") + args); guarded != times_.end()) {
        std::printf("Guarded / Journaled, %s: %.3f s / %.3f s = %.3f\n", until, guarded->second,
                    journaled->second, guarded->second / journaled->second);
      }
    }
  }

 private:
  std::map<std::string, double> times_;
};

void PrintLoad(const char* when) {
  double load[3] = {};
  if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(file, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3) load[0] = -1;
    std::fclose(file);
  }
  std::printf("Load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

}  // namespace

int main(int argc, char** argv) {
  // The two kinds take turns, so a change in the machine's load meets both.
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> arguments(argv, argv + argc);
  arguments.insert(arguments.begin() + 1, interleave.data());  // a later one given wins
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  PrintLoad("at the start");
  int exit_code = 0;
  if (SwitchForSize()) {
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    PrintSizes(TheGames().journaled, "at the end");
    if (!TheGames().journaled.HoldsInstalledSet() || !TheGames().journaled.StoreIsSound()) {
      std::printf("the journaled game folder or its store does not hold what it should\n");
      exit_code = 1;
    }
  } else {
    exit_code = 1;
  }
  PrintLoad("at the end");
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(ScratchRoot(), ignored);
  return exit_code;
}
