#include "config/settings_block.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "config/sequential_removal.h"

namespace veyra::config {
namespace {

using model::SettingsState;

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
           {"mat_forcemanagedtextureintohardware", {"1", "0"}},
           {"mat_managedtextures", {"1", "0"}},
           {"rk_ppe_artyflare", {"1", "0"}},
           {"rk_ppe_bokehdof", {"1", "0", "2", "3"}},
           {"rk_ppe_filmgrain", {"1", "0"}},
           {"rk_ppe_dragonborn", {"1", "0"}},
           {"rk_ppe_sharpen", {"2", "3", "1", "0"}},
           {"rk_ppe_uncharted", {"1", "2", "3", "0"}},
           {"rk_ppe_hpd", {"1", "2", "3", "0"}},
           {"rk_ppe_filmic", {"1", "0"}},
           {"rk_ppe_fxaa", {"1", "0"}},
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
           {"npc_citizen_dont_precache_all", {"1", "0"}},
           {"sv_forcepreload", {"1", "0"}},
           {"cl_forcepreload", {"1", "0"}},
           {"crosshair", {"0", "1"}},
           {"ai_expression_optimization", {"1", "0"}},
           {"r_flashlightdepthres", {"4096", "2048", "1024"}},
           {"mat_hdr_level", {"2"}, {}, "\r\n\n"},
           {{}, {}, {&kS1}},
           {{}, {}, {&kS2}},
           {"mat_bloomscale", {"0"}},
           {"mat_bloomamount_rate", {"0"}},
           {{}, {}, {&kS3, &kS4, &kS5}},
           {{}, {}, {&kS6}},
           {"mat_bloom_scalefactor_scalar", {"1.0"}},
           {"mat_bloomscale", {"1"}, {}, "\r\n\n"},
           {"mat_bloomamount_rate", {"0.05"}},
           {"r_bloomtintexponent", {"2.2"}},
           {"rk_timedownscale", {"1", "0"}},
           {"rk_ppe_vignette", {"1"}},
           {"ae_ssao", {"1"}},
           {"rk_ppe_gaussblur", {"1", "2"}},
           {{}, {}, {&kS7}},
       }},
      {"\r",
       {
           {"mat_forcemanagedtextureintohardware", {"1", "0"}},
           {"mat_managedtextures", {"1", "0"}},
           {"rk_ppe_artyflare", {"1", "0"}},
           {"rk_ppe_bokehdof", {"1", "0", "2", "3"}},
           {"rk_ppe_filmgrain", {"1", "0"}},
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
           {"npc_citizen_dont_precache_all", {"1", "0"}},
           {"sv_forcepreload", {"1", "0"}},
           {"cl_forcepreload", {"1", "0"}},
           {"ai_expression_optimization", {"1", "0"}},
           {"crosshair", {"0", "1"}},
           {"r_flashlightdepthres", {"4096", "2048", "1024"}},
           {"mat_hdr_level", {"2"}},
           {"rk_ppe_sharpen", {"2", "3", "1", "0"}},
           {"rk_ppe_uncharted", {"1", "2", "3", "0"}},
           {"rk_ppe_hpd", {"1", "2", "3", "0"}},
           {"rk_ppe_filmic", {"1", "0"}},
           {"rk_ppe_fxaa", {"1", "0"}},
           {{}, {}, {&kS1}},
           {"mat_bloomscale", {"0"}},
           {"mat_bloomamount_rate", {"0"}},
           {"r_bloomtintb", {"0.0"}},
           {{}, {}, {&kS6}},
           {{}, {}, {&kS2}},
           {{}, {}, {&kS3, &kS4, &kS5}},
           {"mat_bloom_scalefactor_scalar", {"1.0"}},
           {"mat_bloomscale", {"1"}},
           {"mat_bloomamount_rate", {"0.05"}},
           {"r_bloomtintexponent", {"2.2"}},
           {"rk_timedownscale", {"1", "0"}},
           {"rk_ppe_vignette", {"1"}},
           {"ae_ssao", {"1"}},
           {"rk_ppe_gaussblur", {"1", "2"}},
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

// "2" for the stronger strength (checked first), "3" for the strongest, "1" for neither.
GeneratedLine Strength(std::string_view name, Flag on, Flag stronger, Flag strongest) {
  return {name, {{{on, stronger}, "2"}, {{on, strongest}, "3"}, {{on}, "1"}}, "0"};
}

const std::vector<GeneratedLine>& LinesBeforeBloom() {
  static const std::vector<GeneratedLine> lines = {
      OnOff("mat_forcemanagedtextureintohardware", &SettingsState::LargeVramMode),
      {"mat_managedtextures", {{{&SettingsState::SweetFx}, "0"}}, "1"},
      {"rk_ppe_bokehdof",
       {{{&SettingsState::DepthOfField, &SettingsState::DofChromatic, &SettingsState::DofStronger},
         "3"},
        {{&SettingsState::DepthOfField, &SettingsState::DofChromatic}, "2"},
        {{&SettingsState::DepthOfField}, "1"}},
       "0"},
      OnOff("rk_ppe_filmgrain", &SettingsState::FilmGrain),
      {"npc_citizen_dont_precache_all", {{{&SettingsState::PreloadNpcResources}, "0"}}, "1"},
      OnOff("sv_forcepreload", &SettingsState::PreloadOtherResources),
      OnOff("cl_forcepreload", &SettingsState::PreloadOtherResources),
      OnOff("cl_new_impact_effects", &SettingsState::EnhancedParticles),
      {"rk_ppe_gaussblur",
       {{{&SettingsState::GaussBlur, &SettingsState::GaussBlurHorizontal}, "2"},
        {{&SettingsState::GaussBlur}, "1"}},
       "0"},
      OnOff("rk_ppe_vignette", &SettingsState::Vignette),
      OnOff("ae_ssao", &SettingsState::Ssao),
      {"ae_ssao_occlusionradius", {}, "0.0015"},
      {"ae_ssao_occlusionintensity", {}, "2.5"},
      OnOff("rk_ppe_desaturate", &SettingsState::FilmNoir),
      OnOff("RK_viewbob_enabled", &SettingsState::Headbob),
      OnOff("rk_ppe_filmic", &SettingsState::FilmicTonemapping),
      OnOff("rk_ppe_fxaa", &SettingsState::Fxaa),
      Strength("rk_ppe_sharpen", &SettingsState::Sharpen, &SettingsState::SharpenStronger,
               &SettingsState::SharpenStrongest),
      Strength("rk_ppe_uncharted", &SettingsState::UnchartedTonemapping,
               &SettingsState::UnchartedStronger, &SettingsState::UnchartedStrongest),
      Strength("rk_ppe_hpd", &SettingsState::HpdTonemapping, &SettingsState::HpdStronger,
               &SettingsState::HpdStrongest),
      {"mat_hdr_level", {}, "2"},
      {"mat_monitorgamma_tv_range_max", {}, "255"},
      {"mat_monitorgamma_tv_range_min", {}, "0"},
  };
  return lines;
}

const std::vector<GeneratedLine>& LinesAfterBloom() {
  static const std::vector<GeneratedLine> lines = {
      {"host_timescale", {}, "1"},
      OnOff("rk_ppe_glass_effect", &SettingsState::HevGlass),
      {"crosshair", {{{&SettingsState::VeyraWeapons, &SettingsState::HideCrosshair}, "0"}}, "1"},
      {"rk_weapons_recoil", {{{&SettingsState::VeyraWeapons, &SettingsState::WeaponRecoil}, "1"}},
       "0"},
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
  if (state.Settings.EnhancedBloom != 1 || level < 1 || level > 8) {
    return {"mat_bloom_scalefactor_scalar 1.00", "mat_bloomscale 1", "mat_bloomamount_rate 0.05",
            "r_bloomtintb 0.11", "r_bloomtintexponent 2.2", "r_bloomtintg 0.59",
            "r_bloomtintr 0.3", "mat_monitorgamma_tv_exp 2.0"};
  }
  const std::string scale =
      "mat_bloom_scalefactor_scalar " + state.BloomScaleValues[static_cast<std::size_t>(level)];
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
