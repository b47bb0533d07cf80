// CopyDirFiles on a content set of about 200 MB in 300 files of mixed sizes,
// against two plain loops over the same files: std::filesystem::copy_file (as
// `cp` would copy) and the backend's own Copy. Every run overwrites the copies
// of the run before, as a switch of content sets does. After the runs the
// ratios to both references are printed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "install/directory_copy.h"
#include "platform/posix/posix_os.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 300;
// Scripts, sounds, models and textures: about 680 KiB on average.
constexpr std::size_t kSizes[] = {8 << 10, 128 << 10, 512 << 10, 1 << 20, 1740 << 10};

// The content set and one destination folder per contender, made once and
// removed at exit.
struct ContentSet {
  ContentSet() {
    std::random_device random;
    root = fs::temp_directory_path() / ("veyra-copy-bench-" + std::to_string(random()));
    fs::create_directories(root / "set");
    std::mt19937 bytes(42);
    std::string content;
    for (int file = 0; file < kFiles; ++file) {
      content.resize(kSizes[file % std::size(kSizes)]);
      for (char& byte : content) byte = static_cast<char>(bytes());
      std::ofstream(root / "set" / ("file" + std::to_string(file) + ".bin"), std::ios::binary)
          .write(content.data(), static_cast<std::streamsize>(content.size()));
      total_bytes += content.size();
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(root / "set")) {
      names.push_back(entry.path().filename().string());
    }
  }
  ~ContentSet() { fs::remove_all(root); }

  // A fresh destination folder for one contender, in the program's path form.
  std::string Destination(const std::string& name) const {
    fs::create_directories(root / name);
    return (root / name).string() + "\\";
  }
  std::string Source() const { return (root / "set").string() + "\\"; }

  fs::path root;
  std::vector<std::string> names;
  std::size_t total_bytes = 0;
};

const ContentSet& Set() {
  static const ContentSet set;
  return set;
}

void Finish(benchmark::State& run) {
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations() * Set().total_bytes));
  run.counters["files"] = static_cast<double>(Set().names.size());
}

void CopyDirFiles(benchmark::State& run) {
  veyra::platform::posix::PosixOs os;
  const std::string source = Set().Source() + ">";
  const std::string destination = Set().Destination("copydirfiles");
  // The copies exist from here on.
  if (!veyra::install::CopyDirFiles(os, source, destination).ok()) run.SkipWithError("copy failed");
  for (auto _ : run) {
    if (!veyra::install::CopyDirFiles(os, source, destination).ok())
      run.SkipWithError("copy failed");
  }
  Finish(run);
}

void CopyFileLoop(benchmark::State& run) {
  const fs::path source = Set().root / "set";
  const fs::path destination = veyra::platform::posix::NativePath(Set().Destination("copy_file"));
  const auto copy_all = [&] {
    for (const std::string& name : Set().names) {
      fs::copy_file(source / name, destination / name, fs::copy_options::overwrite_existing);
    }
  };
  copy_all();
  for (auto _ : run) copy_all();
  Finish(run);
}

void BackendCopyLoop(benchmark::State& run) {
  veyra::platform::posix::PosixOs os;
  const std::string source = Set().Source();
  const std::string destination = Set().Destination("backend");
  const auto copy_all = [&] {
    for (const std::string& name : Set().names) {
      if (os.Copy(source + name, destination + name) != 0) run.SkipWithError("copy failed");
    }
  };
  copy_all();
  for (auto _ : run) copy_all();
  Finish(run);
}

// Disk copies vary from run to run: the medians of a few repetitions are compared.
void Measure(benchmark::internal::Benchmark* benchmark) {
  benchmark->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
}
BENCHMARK(CopyDirFiles)->Apply(Measure);
BENCHMARK(CopyFileLoop)->Apply(Measure);
BENCHMARK(BackendCopyLoop)->Apply(Measure);

// Keeps the median real and CPU time per iteration of every benchmark to print
// the ratios at the end; the CPU times vary less on a busy machine.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
        times_[run.run_name.function_name] = {run.GetAdjustedRealTime() / unit,
                                              run.GetAdjustedCPUTime() / unit};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    const auto copied = times_.find("CopyDirFiles");
    if (copied == times_.end()) return;
    const double megabytes = static_cast<double>(Set().total_bytes) / 1e6;
    std::printf("CopyDirFiles: %.0f MB in %zu files, %.0f MB/s\n", megabytes, Set().names.size(),
                megabytes / copied->second.real);
    for (const char* name : {"CopyFileLoop", "BackendCopyLoop"}) {
      const auto reference = times_.find(name);
      if (reference == times_.end()) continue;
      std::printf("CopyDirFiles / %-16s %5.2f times the real time, %5.2f times the CPU time\n",
                  name, copied->second.real / reference->second.real,
                  copied->second.cpu / reference->second.cpu);
    }
  }

 private:
  struct Times {
    double real;
    double cpu;
  };
  std::map<std::string, Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
