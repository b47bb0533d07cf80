// RegenerateSettingsBlock against the literal removal (one remove-all over the
// whole text per entry), on the default autoexec.cfg and on large realistic
// ones. After the runs the ratios are printed: how many times faster than the
// reference, and how the time grows from 64 KiB to 1 MiB.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "config/default_autoexec.h"
#include "config/settings_block.h"
#include "tests/reference/literal_regenerate.h"

namespace {

using veyra::model::ProgramState;

const ProgramState& State() {
  static const ProgramState state = [] {
    ProgramState filled;
    veyra::model::FillValueTables(filled);
    filled.Settings.Sharpen = filled.Settings.EnhancedBloom = 1;
    filled.Settings.BloomLevel = 3;
    return filled;
  }();
  return state;
}

// A player's autoexec.cfg grown to `size` bytes: the default free part, then
// section after section of binds, aliases and settings (some of which the
// configurator takes out), then a generated block from an earlier save.
std::string RealisticAutoexec(std::size_t size) {
  static constexpr const char* kSection[] = {
      "// my binds", "bind \"F5\" \"jpeg\"", "bind \"MWHEELUP\" \"invprev\"",
      "alias +zoomx \"fov 45; sensitivity 1.2\"", "alias -zoomx \"fov 90; sensitivity 2.4\"",
      "sensitivity 2.4", "fov_desired 90", "mat_queue_mode 2", "cl_forcepreload 1",
      "crosshair \"1\"", "mat_monitorgamma 2.2", "r_flashlightdepthres 2048", "snd_mixahead 0.1",
      "echo \"autoexec loaded\"", "// graphics", "mat_bloom_scalefactor_scalar 2.5",
      "r_bloomtintexponent 2.2", "mat_hdr_level 2", "r_shadowcolor 75 75 75",
      "cl_detail_max_sway 4", ""};
  const std::string& base = veyra::config::DefaultAutoexecText();
  const std::size_t marker = base.find(veyra::config::kMarkerLine);
  std::string text = base.substr(0, marker);
  for (int section = 1; text.size() + (base.size() - marker) < size; ++section) {
    text += "// section " + std::to_string(section) + "\r\n";
    for (const char* line : kSection) (text += line) += "\r\n";
  }
  text += base.substr(marker);
  text.resize(size);
  return text;
}

const std::map<std::string, std::string>& Texts() {
  static const std::map<std::string, std::string> texts = {
      {"default", veyra::config::DefaultAutoexecText()},
      {"64KiB", RealisticAutoexec(64 << 10)},
      {"1MiB", RealisticAutoexec(1 << 20)},
  };
  return texts;
}

void Fast(benchmark::State& run, const std::string& name) {
  const std::string& text = Texts().at(name);
  for (auto _ : run) benchmark::DoNotOptimize(veyra::config::RegenerateSettingsBlock(text, State()));
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations() * text.size()));
}

void Literal(benchmark::State& run, const std::string& name) {
  const std::string& text = Texts().at(name);
  for (auto _ : run) benchmark::DoNotOptimize(veyra::testing::LiteralRegenerate(text, State()));
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations() * text.size()));
}

BENCHMARK_CAPTURE(Fast, default, "default");
BENCHMARK_CAPTURE(Literal, default, "default");
BENCHMARK_CAPTURE(Fast, 64KiB, "64KiB");
BENCHMARK_CAPTURE(Literal, 64KiB, "64KiB")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fast, 1MiB, "1MiB")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Literal, 1MiB, "1MiB")->Unit(benchmark::kMillisecond);

// Keeps the time per iteration of every run to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        seconds_[run.benchmark_name()] = run.GetAdjustedRealTime() /
                                         benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    const auto ratio = [&](const std::string& slow, const std::string& fast) {
      const auto a = seconds_.find(slow), b = seconds_.find(fast);
      return a == seconds_.end() || b == seconds_.end() ? 0.0 : a->second / b->second;
    };
    for (const char* text : {"default", "1MiB"}) {
      std::printf("literal / fast on %-8s %8.1f times faster\n", text,
                  ratio(std::string("Literal/") + text, std::string("Fast/") + text));
    }
    std::printf("fast 1MiB / fast 64KiB  %8.1f (the text is 16 times longer)\n",
                ratio("Fast/1MiB", "Fast/64KiB"));
  }

 private:
  std::map<std::string, double> seconds_;
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
