#include "config/settings_block.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "config/sequential_removal.h"
#include "model/control_ids.h"
#include "model/options.h"

namespace veyra::config {
namespace {

using namespace model;

constexpr std::string_view kLineEnd = "\r\n";

// ---------------------------------------------------------------- removal

// A number series: values from `first` to `last` in steps of `step`, all in
// hundredths so that every value is exact.
struct Series {
  std::string_view before;  // the text before the number
  int first;
  int last;
  int step;
};

constexpr Series kS1{"mat_bloom_scalefactor_scalar ", 100, 600, 1};
constexpr Series kS2{"cl_detail_max_sway ", 0, 600, 10};
constexpr Series kS3{"r_bloomtintr  ", 0, 600, 1};
constexpr Series kS4{"r_bloomtintg  ", 0, 600, 1};
constexpr Series kS5{"r_bloomtintb  ", 0, 600, 1};
constexpr Series kS6{"r_bloomtintexponent ", 0, 350, 10};
constexpr Series kS7{"mat_monitorgamma ", 100, 350, 10};

// One row of a removal pass: the name with each of its values, or series.
struct RemovalRow {
  std::string_view name;
  std::vector<std::string_view> values;
  std::vector<const Series*> series = {};
  std::string_view line_end = {};  // empty: the pass's own
};

struct RemovalPass {
  std::string_view line_end;
  std::vector<RemovalRow> rows;
};

const std::vector<RemovalPass>& RemovalPasses() {
  static const std::vector<RemovalPass> passes = {
      {"\r\n",
       {
           {SettingOf(IDC_LARGE_VRAM), {"1", "0"}},
           {"mat_managedtextures", {"1", "0"}},
           {"rk_ppe_artyflare", {"1", "0"}},
           {SettingOf(IDC_DOF), {"1", "0", "2", "3"}},
           {SettingOf(IDC_FILMGRAIN), {"1", "0"}},
           {"rk_ppe_dragonborn", {"1", "0"}},
           {SettingOf(IDC_SHARPEN), {"2", "3", "1", "0"}},
           {SettingOf(IDC_UNCHARTED), {"1", "2", "3", "0"}},
           {SettingOf(IDC_HPD), {"1", "2", "3", "0"}},
           {SettingOf(IDC_FILMIC), {"1", "0"}},
           {SettingOf(IDC_FXAA), {"1", "0"}},
           {"Host_thread_mode", {"2", "0"}},
           {"mat_queue_mode", {"2", "0", "-1"}},
           {"cl_threaded_bone_setup", {"0"}},
           {"cl_interp_threadmodeticks", {"0"}},
           {"cl_threaded_client_leaf_system", {"0"}},
           {"r_threaded_client_shadow_manager", {"0"}},
           {"r_threaded_particles", {"1"}},
           {"r_threaded_renderables", {"0", "1"}},
           {"r_queued_decals", {"0"}},
           {"r_queued_post_processing", {"0", "1"}},
           {"mp_usehwmmodels", {"-1"}},
           {"mp_usehwmvcds", {"-1"}},
           {"mat_monitorgamma_tv_enabled", {"0", "1"}},
           {"mat_monitorgamma_tv_exp", {"2.0", "1.0"}},
           {"mat_monitorgamma_tv_range_max", {"255"}},
           {"mat_monitorgamma_tv_range_min", {"0"}},
           {SettingOf(IDC_PRELOAD_NPC), {"1", "0"}},
           {SettingOf(IDC_PRELOAD_OTHER), {"1", "0"}},
           {"cl_forcepreload", {"1", "0"}},
           {SettingOf(IDC_HIDE_CROSSHAIR), {"0", "1"}},
           {"ai_expression_optimization", {"1", "0"}},
           {"r_flashlightdepthres", {"4096", "2048", "1024"}},
           {"mat_hdr_level", {"2"}, {}, "\r\n\n"},
           {{}, {}, {&kS1}},
           {{}, {}, {&kS2}},
           {"mat_bloomscale", {"0"}},
           {"mat_bloomamount_rate", {"0"}},
           {{}, {}, {&kS3, &kS4, &kS5}},
           {{}, {}, {&kS6}},
           {SettingOf(IDC_BLOOM), {"1.0"}},
           {"mat_bloomscale", {"1"}, {}, "\r\n\n"},
           {"mat_bloomamount_rate", {"0.05"}},
           {"r_bloomtintexponent", {"2.2"}},
           {"rk_timedownscale", {"1", "0"}},
           {SettingOf(IDC_VIGNETTE), {"1"}},
           {SettingOf(IDC_SSAO), {"1"}},
           {SettingOf(IDC_GAUSS_BLUR), {"1", "2"}},
           {{}, {}, {&kS7}},
       }},
      {"\r",
       {
           {SettingOf(IDC_LARGE_VRAM), {"1", "0"}},
           {"mat_managedtextures", {"1", "0"}},
           {"rk_ppe_artyflare", {"1", "0"}},
           {SettingOf(IDC_DOF), {"1", "0", "2", "3"}},
           {SettingOf(IDC_FILMGRAIN), {"1", "0"}},
           {"rk_ppe_dragonborn", {"1", "0"}},
           {"Host_thread_mode", {"2", "0"}},
           {"mat_queue_mode", {"2", "0", "-1"}},
           {"cl_threaded_bone_setup", {"0"}},
           {"cl_interp_threadmodeticks", {"0"}},
           {"cl_threaded_client_leaf_system", {"0"}},
           {"r_threaded_client_shadow_manager", {"0"}},
           {"r_threaded_particles", {"1"}},
           {"r_threaded_renderables", {"0", "1"}},
           {"r_queued_decals", {"0"}},
           {"r_queued_post_processing", {"0", "1"}},
           {"mp_usehwmmodels", {"-1"}},
           {"mp_usehwmvcds", {"-1"}},
           {"mat_monitorgamma_tv_enabled", {"1", "0"}},
           {"mat_monitorgamma_tv_exp", {"2.0", "1.0"}},
           {"mat_monitorgamma_tv_range_max", {"255"}},
           {"mat_monitorgamma_tv_range_min", {"0"}},
           {SettingOf(IDC_PRELOAD_NPC), {"1", "0"}},
           {SettingOf(IDC_PRELOAD_OTHER), {"1", "0"}},
           {"cl_forcepreload", {"1", "0"}},
           {"ai_expression_optimization", {"1", "0"}},
           {SettingOf(IDC_HIDE_CROSSHAIR), {"0", "1"}},
           {"r_flashlightdepthres", {"4096", "2048", "1024"}},
           {"mat_hdr_level", {"2"}},
           {SettingOf(IDC_SHARPEN), {"2", "3", "1", "0"}},
           {SettingOf(IDC_UNCHARTED), {"1", "2", "3", "0"}},
           {SettingOf(IDC_HPD), {"1", "2", "3", "0"}},
           {SettingOf(IDC_FILMIC), {"1", "0"}},
           {SettingOf(IDC_FXAA), {"1", "0"}},
           {{}, {}, {&kS1}},
           {"mat_bloomscale", {"0"}},
           {"mat_bloomamount_rate", {"0"}},
           {"r_bloomtintb", {"0.0"}},
           {{}, {}, {&kS6}},
           {{}, {}, {&kS2}},
           {{}, {}, {&kS3, &kS4, &kS5}},
           {SettingOf(IDC_BLOOM), {"1.0"}},
           {"mat_bloomscale", {"1"}},
           {"mat_bloomamount_rate", {"0.05"}},
           {"r_bloomtintexponent", {"2.2"}},
           {"rk_timedownscale", {"1", "0"}},
           {SettingOf(IDC_VIGNETTE), {"1"}},
           {SettingOf(IDC_SSAO), {"1"}},
           {SettingOf(IDC_GAUSS_BLUR), {"1", "2"}},
           {{}, {}, {&kS7}},
       }},
  };
  return passes;
}

// A blank, then the value in hundredths as a decimal without trailing zeros,
// trailing point or a zero before the point: 0 -> " 0", 110 -> " 1.1", 25 -> " .25".
std::string NumberText(int hundredths) {
  if (hundredths == 0) return " 0";
  std::string text = " ";
  if (hundredths >= 100) text += std::to_string(hundredths / 100);
  const int fraction = hundredths % 100;
  if (fraction != 0) {
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
  }
  return text;
}

// The removal entries with their heads: the text up to the blank before the value.
std::vector<SequentialRemoval::Entry> RemovalEntriesWithHeads() {
  std::vector<SequentialRemoval::Entry> entries;
  for (const RemovalPass& pass : RemovalPasses()) {
    for (const RemovalRow& row : pass.rows) {
      const std::string_view line_end = row.line_end.empty() ? pass.line_end : row.line_end;
      for (const std::string_view value : row.values) {
        entries.push_back({std::string(row.name) + ' ' + std::string(value) + std::string(line_end),
                           row.name.size() + 1});
      }
      for (const Series* series : row.series) {
        for (int value = series->first; value <= series->last; value += series->step) {
          entries.push_back({std::string(series->before) + NumberText(value) + std::string(line_end),
                             series->before.size() + 1});
        }
      }
    }
  }
  return entries;
}

// ---------------------------------------------------------------- generated part

using Flag = int SettingsState::*;

// The value applies when every flag listed is set (equals 1).
struct ValueRule {
  std::vector<Flag> all_set;
  std::string_view value;
};

// A generated line: the name, a blank and the value of the first rule that
// applies, or `otherwise`.
struct GeneratedLine {
  std::string_view name;
  std::vector<ValueRule> rules;
  std::string_view otherwise;
};

GeneratedLine OnOff(std::string_view name, Flag flag) { return {name, {{{flag}, "1"}}, "0"}; }

// The box's console setting: "1" when it is checked, "0" when not.
GeneratedLine OnOff(const model::CheckBoxOption& box) {
  return OnOff(box.console_setting, box.flag);
}

// "2" for the stronger strength (checked first), "3" for the strongest, "1" for neither.
GeneratedLine Strength(const model::CheckBoxOption& on, const model::CheckBoxOption& stronger,
                       const model::CheckBoxOption& strongest) {
  return {on.console_setting,
          {{{on.flag, stronger.flag}, "2"}, {{on.flag, strongest.flag}, "3"}, {{on.flag}, "1"}},
          "0"};
}

const std::vector<GeneratedLine>& LinesBeforeBloom() {
  static const std::vector<GeneratedLine> lines = {
      OnOff(ConsoleOptionOf(IDC_LARGE_VRAM)),
      {"mat_managedtextures", {{{FlagOf(IDC_SWEETFX)}, "0"}}, "1"},
      {SettingOf(IDC_DOF),
       {{{FlagOf(IDC_DOF), FlagOf(IDC_DOF_CHROMATIC), FlagOf(IDC_DOF_STRONGER)}, "3"},
        {{FlagOf(IDC_DOF), FlagOf(IDC_DOF_CHROMATIC)}, "2"},
        {{FlagOf(IDC_DOF)}, "1"}},
       "0"},
      OnOff(ConsoleOptionOf(IDC_FILMGRAIN)),
      {SettingOf(IDC_PRELOAD_NPC), {{{FlagOf(IDC_PRELOAD_NPC)}, "0"}}, "1"},
      OnOff(ConsoleOptionOf(IDC_PRELOAD_OTHER)),
      OnOff("cl_forcepreload", FlagOf(IDC_PRELOAD_OTHER)),
      OnOff(ConsoleOptionOf(IDC_PARTICLES)),
      {SettingOf(IDC_GAUSS_BLUR),
       {{{FlagOf(IDC_GAUSS_BLUR), FlagOf(IDC_GAUSS_HORIZONTAL)}, "2"},
        {{FlagOf(IDC_GAUSS_BLUR)}, "1"}},
       "0"},
      OnOff(ConsoleOptionOf(IDC_VIGNETTE)),
      OnOff(ConsoleOptionOf(IDC_SSAO)),
      {"ae_ssao_occlusionradius", {}, "0.0015"},
      {"ae_ssao_occlusionintensity", {}, "2.5"},
      OnOff(ConsoleOptionOf(IDC_FILM_NOIR)),
      OnOff(ConsoleOptionOf(IDC_HEADBOB)),
      OnOff(ConsoleOptionOf(IDC_FILMIC)),
      OnOff(ConsoleOptionOf(IDC_FXAA)),
      Strength(ConsoleOptionOf(IDC_SHARPEN), ConsoleOptionOf(IDC_SHARPEN_STRONGER),
               ConsoleOptionOf(IDC_SHARPEN_STRONGEST)),
      Strength(ConsoleOptionOf(IDC_UNCHARTED), ConsoleOptionOf(IDC_UNCHARTED_STRONGER),
               ConsoleOptionOf(IDC_UNCHARTED_STRONGEST)),
      Strength(ConsoleOptionOf(IDC_HPD), ConsoleOptionOf(IDC_HPD_STRONGER),
               ConsoleOptionOf(IDC_HPD_STRONGEST)),
      {"mat_hdr_level", {}, "2"},
      {"mat_monitorgamma_tv_range_max", {}, "255"},
      {"mat_monitorgamma_tv_range_min", {}, "0"},
  };
  return lines;
}

const std::vector<GeneratedLine>& LinesAfterBloom() {
  static const std::vector<GeneratedLine> lines = {
      {"host_timescale", {}, "1"},
      OnOff(ConsoleOptionOf(IDC_HEV_GLASS)),
      {SettingOf(IDC_HIDE_CROSSHAIR),
       {{{FlagOf(IDC_VEYRA_WEAPONS), FlagOf(IDC_HIDE_CROSSHAIR)}, "0"}},
       "1"},
      {SettingOf(IDC_RECOIL), {{{FlagOf(IDC_VEYRA_WEAPONS), FlagOf(IDC_RECOIL)}, "1"}}, "0"},
      {"cl_detail_max_sway", {}, "4"},
  };
  return lines;
}

void AppendLines(std::string& text, const std::vector<GeneratedLine>& lines,
                 const SettingsState& settings) {
  for (const GeneratedLine& line : lines) {
    const auto applies = [&](const ValueRule& rule) {
      return std::all_of(rule.all_set.begin(), rule.all_set.end(),
                         [&](Flag flag) { return settings.*flag == 1; });
    };
    const auto rule = std::find_if(line.rules.begin(), line.rules.end(), applies);
    ((text += line.name) += ' ') += rule != line.rules.end() ? rule->value : line.otherwise;
    text += kLineEnd;
  }
}

// The eight bloom lines. Levels 1 to 5 put the tint exponent before the three
// tint lines, the dreamy levels 6 to 8 and the default set after "r_bloomtintb".
std::vector<std::string> BloomLines(const model::ProgramState& state) {
  const int level = state.Settings.BloomLevel;
  const std::string scale_setting = std::string(SettingOf(IDC_BLOOM)) + ' ';
  if (state.Settings.EnhancedBloom != 1 || level < 1 || level > 8) {
    return {scale_setting + "1.00", "mat_bloomscale 1", "mat_bloomamount_rate 0.05",
            "r_bloomtintb 0.11", "r_bloomtintexponent 2.2", "r_bloomtintg 0.59",
            "r_bloomtintr 0.3", "mat_monitorgamma_tv_exp 2.0"};
  }
  const std::string scale =
      scale_setting + state.BloomScaleValues[static_cast<std::size_t>(level)];
  if (level <= 5) {
    static constexpr std::string_view kTintExponents[] = {"2.2", "1.8", "1.2", "1.0", "1."};
    return {scale, "mat_bloomscale 1", "mat_bloomamount_rate 0.05",
            "r_bloomtintexponent " + std::string(kTintExponents[level - 1]), "r_bloomtintb 0.11",
            "r_bloomtintg 0.59", "r_bloomtintr 0.3", "mat_monitorgamma_tv_exp 2.0"};
  }
  const bool third = level == 8;
  return {scale, "mat_bloomscale 1", "mat_bloomamount_rate 0.05", "r_bloomtintb 6.0",
          "r_bloomtintexponent " +
              (third ? state.BloomTintExponentDreamy3 : state.BloomTintExponentDreamy),
          "r_bloomtintg 6.0", "r_bloomtintr 6.0",
          "mat_monitorgamma_tv_exp " +
              (third ? state.TvGammaExponentDreamy3 : state.TvGammaExponentDreamy)};
}

// ---------------------------------------------------------------- quotes

// The first word of a line: the first run of bytes that are not a blank, a
// tab or a double quote, ended by one of those, a CR or the line's end.
std::string_view FirstWord(std::string_view line) {
  const std::size_t start = line.find_first_not_of(" \t\"");
  if (start == std::string_view::npos) return {};
  const std::size_t end = line.find_first_of(" \t\"\r\n", start);
  return line.substr(start, end == std::string_view::npos ? end : end - start);
}

// Every console setting the removal takes out or the generated part writes.
const std::set<std::string, std::less<>>& ManagedSettingNames() {
  static const std::set<std::string, std::less<>> names = [] {
    std::set<std::string, std::less<>> found;
    for (const RemovalPass& pass : RemovalPasses()) {
      for (const RemovalRow& row : pass.rows) {
        if (!row.name.empty()) found.emplace(row.name);
        for (const Series* series : row.series) found.emplace(FirstWord(series->before));
      }
    }
    for (const auto* lines : {&LinesBeforeBloom(), &LinesAfterBloom()}) {
      for (const GeneratedLine& line : *lines) found.emplace(line.name);
    }
    // Every bloom level writes the same names; only their order and values differ.
    for (const std::string& line : BloomLines(model::ProgramState{})) found.emplace(FirstWord(line));
    return found;
  }();
  return names;
}

}  // namespace

std::string StripSettingQuotes(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    const std::string_view line = text.substr(0, end);
    if (std::memchr(line.data(), '"', line.size()) != nullptr &&
        ManagedSettingNames().contains(FirstWord(line))) {
      for (const char byte : line) {
        if (byte != '"') result += byte;
      }
    } else {
      result += line;
    }
    text.remove_prefix(end);
  }
  return result;
}

std::string StripQuotes(std::string_view text) {
  std::string result(text);
  std::erase(result, '"');
  return result;
}

std::vector<std::string> RemovalEntries() {
  std::vector<std::string> texts;
  for (SequentialRemoval::Entry& entry : RemovalEntriesWithHeads()) texts.push_back(std::move(entry.text));
  return texts;
}

std::string GeneratedPart(const model::ProgramState& state) {
  std::string text;
  ((text += kMarkerLine) += kLineEnd) += kBlockRuleLine;
  text += kLineEnd;
  AppendLines(text, LinesBeforeBloom(), state.Settings);
  for (const std::string& line : BloomLines(state)) (text += line) += kLineEnd;
  AppendLines(text, LinesAfterBloom(), state.Settings);
  return text;
}

std::string RegenerateSettingsBlock(std::string_view text, const model::ProgramState& state) {
  static const SequentialRemoval removal(RemovalEntriesWithHeads());
  std::string result = StripSettingQuotes(text);
  result.resize(std::min(result.find(kMarkerLine), result.size()));
  removal.Apply(result);
  result += GeneratedPart(state);
  return result;
}

}  // namespace veyra::config
