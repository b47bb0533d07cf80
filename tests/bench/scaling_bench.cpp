// How the backups grow with the number of files. For N = 2,000 and 20,000
// small files (4 KiB, other bytes in place already):
//   Plain     copies them on the plain Os, which keeps nothing: the reference;
//   Ok        copies them through the change journal and finishes its set, as
//             OK does (every old file kept, every line on the disk first);
//   Restore   undoes that set, as /restore does.
// The time per file should not grow from 2,000 to 20,000 (linear time), and
// Ok and Restore are read as ratios to Plain of the same N.
// PeakMemory copies one 2 GiB file through the journal in a child process and
// reports the child's peak resident memory beside that of a child that only
// starts (the hashing and copying stream in bounded pieces).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "backups/journal.h"
#include "backups/restore.h"
#include "backups/sets.h"
#include "platform/posix/posix_os.h"

namespace {

namespace fs = std::filesystem;
namespace backups = veyra::backups;
using veyra::platform::posix::PosixOs;

constexpr std::size_t kFileBytes = 4 << 10;

fs::path ScratchRoot() {
  static const fs::path root = [] {
    std::random_device random;
    return fs::temp_directory_path() / ("veyra-scaling-bench-" + std::to_string(random()));
  }();
  return root;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A game folder with N files in a content set and N others where it is copied to.
class Game {
 public:
  explicit Game(int files) : root_(ScratchRoot() / std::to_string(files)) {
    std::mt19937_64 random(files);
    for (int n = 0; n < files; ++n) {
      const std::string name = "f" + std::to_string(n / 100) + "/file" + std::to_string(n) + ".txt";
      std::string bytes(kFileBytes, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      WriteBytes(root_ / "Repository/set/hl2" / name, bytes);
      copies_.push_back({Join("Repository/set/hl2/" + name), Join("hl2/custom/loose/" + name)});
      old_.push_back(bytes.replace(0, 8, "old file"));
    }
  }
  ~Game() {
    fs::remove_all(root_);
    fs::remove_all(ScratchRoot() / "aside");
  }

  // The files as they were before the copy, and no backups. The backups of
  // the runs before are put aside, not deleted: ext4 makes a file created
  // soon after many deletions look through them, which would be timed as
  // the program's.
  void Reset() {
    static int put_aside = 0;
    if (fs::exists(root_ / "VeyraConfig backups")) {
      fs::create_directories(ScratchRoot() / "aside");
      fs::rename(root_ / "VeyraConfig backups", ScratchRoot() / "aside" / std::to_string(++put_aside));
    }
    for (std::size_t n = 0; n < copies_.size(); ++n) {
      WriteBytes(veyra::platform::posix::NativePath(copies_[n].to), old_[n]);
    }
  }
  void CopyPlain() {
    PosixOs os;
    Check(os.CopyFiles(copies_, {}).ok());
  }
  void CopyJournaled() {
    PosixOs os;
    backups::Journal journal(os, Folder(), "OK");
    Check(journal.CopyFiles(copies_, {}).ok());
    journal.Finish();
  }
  void RestoreNewest() {
    PosixOs os;
    std::vector<backups::BackupSet> sets;
    Check(backups::ListSets(os, Folder(), sets).ok() && !sets.empty());
    veyra::platform::SystemError code = 0;
    const auto lock = backups::LockGameFolder(os, Folder(), code);
    Check(lock != nullptr);
    Check(backups::RestoreSets(os, Folder(), {sets.back()}, "restore", *lock).failures.empty());
  }

 private:
  std::string Folder() const { return root_.string(); }
  // A path below the game folder as the program writes it.
  std::string Join(std::string relative) const {
    for (char& c : relative) c = c == '/' ? '\\' : c;
    return Folder() + "\\" + relative;
  }
  static void Check(bool ok) {
    if (!ok) {
      std::fprintf(stderr, "a step failed\n");
      std::abort();
    }
  }

  fs::path root_;
  std::vector<veyra::platform::Os::FileCopy> copies_;
  std::vector<std::string> old_;
};

Game& GameOf(int files) {
  static Game small(2000);
  static Game large(20000);
  return files == 2000 ? small : large;
}

enum class Run { kPlain, kOk, kRestore };

void Measure(benchmark::State& state, Run run) {
  const int files = static_cast<int>(state.range(0));
  Game& game = GameOf(files);
  for (auto _ : state) {
    state.PauseTiming();
    game.Reset();
    if (run == Run::kRestore) game.CopyJournaled();
    state.ResumeTiming();
    switch (run) {
      case Run::kPlain: game.CopyPlain(); break;
      case Run::kOk: game.CopyJournaled(); break;
      case Run::kRestore: game.RestoreNewest(); break;
    }
  }
  state.counters["files_per_s"] =
      benchmark::Counter(static_cast<double>(files), benchmark::Counter::kIsIterationInvariantRate);
}

void Plain(benchmark::State& state) { Measure(state, Run::kPlain); }
void Ok(benchmark::State& state) { Measure(state, Run::kOk); }
void Restore(benchmark::State& state) { Measure(state, Run::kRestore); }

// Peak resident memory of a child process, in MiB, after `work`.
template <typename Work>
double ChildPeakMiB(Work work) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    work();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long kib = usage.ru_maxrss;
    if (write(pipe_ends[1], &kib, sizeof kib) != sizeof kib) _exit(1);
    _exit(0);
  }
  long kib = -1;
  if (read(pipe_ends[0], &kib, sizeof kib) != sizeof kib) kib = -1;
  close(pipe_ends[0]);
  close(pipe_ends[1]);
  waitpid(child, nullptr, 0);
  return static_cast<double>(kib) / 1024.0;
}

void PeakMemory(benchmark::State& state) {
  const fs::path root = ScratchRoot() / "large-file";
  WriteBytes(root / "hl2/custom/loose/big.bin", "old, small");
  const fs::path big = root / "Repository/set/hl2/big.bin";
  {
    fs::create_directories(big.parent_path());
    std::ofstream out(big, std::ios::binary);
    std::string piece(1 << 20, '\0');
    std::mt19937_64 random(7);
    for (int mib = 0; mib < 2048; ++mib) {
      for (char& c : piece) c = static_cast<char>(random());
      out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
  }
  const std::string game = root.string();
  for (auto _ : state) {
    state.counters["start_MiB"] = ChildPeakMiB([] {});
    state.counters["ok_MiB"] = ChildPeakMiB([&] {
      PosixOs os;
      backups::Journal journal(os, game, "OK");
      const veyra::platform::Os::FileCopy copy{game + "\\Repository\\set\\hl2\\big.bin",
                                               game + "\\hl2\\custom\\loose\\big.bin"};
      if (!journal.CopyFiles({copy}, {}).ok()) _exit(1);
      journal.Finish();
    });
  }
  fs::remove_all(root);
}

BENCHMARK(Plain)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Ok)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Restore)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PeakMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
