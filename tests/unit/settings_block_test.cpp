#include "config/settings_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "tests/doubles/test_data.h"
#include "tests/reference/adversarial_text.h"
#include "tests/reference/literal_regenerate.h"

namespace veyra::config {
namespace {

using namespace model;

using model::SettingsState;

// The text split at each CR LF; the piece after the last one is dropped when empty.
std::vector<std::string> CrLfLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
       at = text.find("\r\n", from)) {
    lines.emplace_back(text.substr(from, at - from));
    from = at + 2;
  }
  if (from < text.size()) lines.emplace_back(text.substr(from));
  return lines;
}

class SettingsBlockTest : public ::testing::Test {
 protected:
  SettingsBlockTest() { model::FillValueTables(state); }

  std::vector<std::string> Generated() { return CrLfLines(GeneratedPart(state)); }
  // The generated line that starts with `name` and a blank.
  std::string Line(std::string_view name) {
    for (const std::string& line : Generated()) {
      if (line.rfind(std::string(name) + ' ', 0) == 0) return line;
    }
    return "(no line for " + std::string(name) + ")";
  }
  std::vector<std::string> BloomLines() {
    const std::vector<std::string> lines = Generated();
    return {lines.begin() + 25, lines.begin() + 33};
  }
  std::string Regenerate(std::string_view text) {
    return RegenerateSettingsBlock(text, state);
  }

  model::ProgramState state;
  SettingsState& settings = state.Settings;
};

const std::vector<std::string> kDefaultBloom = {
    "mat_bloom_scalefactor_scalar 1.00", "mat_bloomscale 1",  "mat_bloomamount_rate 0.05",
    "r_bloomtintb 0.11",                 "r_bloomtintexponent 2.2", "r_bloomtintg 0.59",
    "r_bloomtintr 0.3",                  "mat_monitorgamma_tv_exp 2.0"};

TEST_F(SettingsBlockTest, GeneratedPartWithEverythingOff) {
  std::vector<std::string> expected = {
      std::string(kMarkerLine), std::string(kBlockRuleLine),
      "mat_forcemanagedtextureintohardware 0", "mat_managedtextures 1", "rk_ppe_bokehdof 0",
      "rk_ppe_filmgrain 0", "npc_citizen_dont_precache_all 1", "sv_forcepreload 0",
      "cl_forcepreload 0", "cl_new_impact_effects 0", "rk_ppe_gaussblur 0", "rk_ppe_vignette 0",
      "ae_ssao 0", "ae_ssao_occlusionradius 0.0015", "ae_ssao_occlusionintensity 2.5",
      "rk_ppe_desaturate 0", "RK_viewbob_enabled 0", "rk_ppe_filmic 0", "rk_ppe_fxaa 0",
      "rk_ppe_sharpen 0", "rk_ppe_uncharted 0", "rk_ppe_hpd 0", "mat_hdr_level 2",
      "mat_monitorgamma_tv_range_max 255", "mat_monitorgamma_tv_range_min 0"};
  expected.insert(expected.end(), kDefaultBloom.begin(), kDefaultBloom.end());
  expected.insert(expected.end(), {"host_timescale 1", "rk_ppe_glass_effect 0", "crosshair 1",
                                   "rk_weapons_recoil 0", "cl_detail_max_sway 4"});
  ASSERT_EQ(38u, expected.size());
  EXPECT_EQ(expected, Generated());
  EXPECT_EQ(77u, kMarkerLine.size());
  EXPECT_EQ(77u, kBlockRuleLine.size());
  const std::string part = GeneratedPart(state);
  EXPECT_EQ("\r\n", part.substr(part.size() - 2));
  EXPECT_EQ(std::string::npos, part.find_first_of("\"\t")) << part;
}

// Each case sets the flags listed (all others 0) and expects these lines.
TEST_F(SettingsBlockTest, GeneratedValuesFollowTheSettings) {
  using S = SettingsState;
  struct Case {
    std::vector<int S::*> set;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {{&S::LargeVramMode, &S::SweetFx, &S::PreloadNpcResources, &S::PreloadOtherResources,
        &S::FilmGrain, &S::EnhancedParticles, &S::Vignette, &S::Ssao, &S::FilmNoir, &S::Headbob,
        &S::FilmicTonemapping, &S::Fxaa, &S::HevGlass},
       {"mat_forcemanagedtextureintohardware 1", "mat_managedtextures 0",
        "npc_citizen_dont_precache_all 0", "sv_forcepreload 1", "cl_forcepreload 1",
        "rk_ppe_filmgrain 1", "cl_new_impact_effects 1", "rk_ppe_vignette 1", "ae_ssao 1",
        "rk_ppe_desaturate 1", "RK_viewbob_enabled 1", "rk_ppe_filmic 1", "rk_ppe_fxaa 1",
        "rk_ppe_glass_effect 1"}},
      {{&S::DofChromatic, &S::DofStronger, &S::GaussBlurHorizontal}, {"rk_ppe_bokehdof 0", "rk_ppe_gaussblur 0"}},
      {{&S::DepthOfField, &S::DofChromatic, &S::DofStronger, &S::GaussBlur, &S::GaussBlurHorizontal},
       {"rk_ppe_bokehdof 3", "rk_ppe_gaussblur 2"}},
      {{&S::DepthOfField, &S::DofChromatic, &S::GaussBlur}, {"rk_ppe_bokehdof 2", "rk_ppe_gaussblur 1"}},
      {{&S::DepthOfField, &S::DofStronger}, {"rk_ppe_bokehdof 1"}},
      // Stronger is looked at first, so it wins over strongest.
      {{&S::Sharpen, &S::SharpenStronger, &S::SharpenStrongest, &S::UnchartedTonemapping,
        &S::UnchartedStronger, &S::UnchartedStrongest, &S::HpdTonemapping, &S::HpdStronger,
        &S::HpdStrongest},
       {"rk_ppe_sharpen 2", "rk_ppe_uncharted 2", "rk_ppe_hpd 2"}},
      {{&S::Sharpen, &S::SharpenStrongest, &S::UnchartedTonemapping, &S::UnchartedStrongest,
        &S::HpdTonemapping, &S::HpdStrongest},
       {"rk_ppe_sharpen 3", "rk_ppe_uncharted 3", "rk_ppe_hpd 3"}},
      {{&S::Sharpen, &S::UnchartedTonemapping, &S::HpdTonemapping},
       {"rk_ppe_sharpen 1", "rk_ppe_uncharted 1", "rk_ppe_hpd 1"}},
      {{&S::SharpenStronger, &S::UnchartedStrongest, &S::HpdStronger},
       {"rk_ppe_sharpen 0", "rk_ppe_uncharted 0", "rk_ppe_hpd 0"}},
      // Without the weapons neither choice counts.
      {{&S::HideCrosshair, &S::WeaponRecoil}, {"crosshair 1", "rk_weapons_recoil 0"}},
      {{&S::VeyraWeapons}, {"crosshair 1", "rk_weapons_recoil 0"}},
      {{&S::VeyraWeapons, &S::HideCrosshair, &S::WeaponRecoil}, {"crosshair 0", "rk_weapons_recoil 1"}},
  };
  for (std::size_t n = 0; n < cases.size(); ++n) {
    settings = {};
    for (int S::*flag : cases[n].set) settings.*flag = 1;
    const std::vector<std::string> lines = Generated();
    EXPECT_EQ(38u, lines.size());
    for (const std::string& line : cases[n].lines) {
      EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line))
          << "case " << n << " lacks " << line << ", has " << Line(line.substr(0, line.find(' ')));
    }
  }
  // A flag counts only when it is 1.
  settings = {};
  settings.Fxaa = 2;
  settings.FilmGrain = -1;
  EXPECT_EQ("rk_ppe_fxaa 0", Line("rk_ppe_fxaa"));
  EXPECT_EQ("rk_ppe_filmgrain 0", Line("rk_ppe_filmgrain"));
}

TEST_F(SettingsBlockTest, BloomSetsAndTheirOrder) {
  // Level 8 has its own pair of dreamy values.
  state.BloomTintExponentDreamy3 = "3.33";
  state.TvGammaExponentDreamy3 = "1.9";
  const std::vector<std::vector<std::string>> tails = {
      {"r_bloomtintexponent 2.2", "r_bloomtintb 0.11", "r_bloomtintg 0.59", "r_bloomtintr 0.3", "mat_monitorgamma_tv_exp 2.0"},
      {"r_bloomtintexponent 1.8", "r_bloomtintb 0.11", "r_bloomtintg 0.59", "r_bloomtintr 0.3", "mat_monitorgamma_tv_exp 2.0"},
      {"r_bloomtintexponent 1.2", "r_bloomtintb 0.11", "r_bloomtintg 0.59", "r_bloomtintr 0.3", "mat_monitorgamma_tv_exp 2.0"},
      {"r_bloomtintexponent 1.0", "r_bloomtintb 0.11", "r_bloomtintg 0.59", "r_bloomtintr 0.3", "mat_monitorgamma_tv_exp 2.0"},
      {"r_bloomtintexponent 1.", "r_bloomtintb 0.11", "r_bloomtintg 0.59", "r_bloomtintr 0.3", "mat_monitorgamma_tv_exp 2.0"},
      {"r_bloomtintb 6.0", "r_bloomtintexponent 2.25", "r_bloomtintg 6.0", "r_bloomtintr 6.0", "mat_monitorgamma_tv_exp 1.6"},
      {"r_bloomtintb 6.0", "r_bloomtintexponent 2.25", "r_bloomtintg 6.0", "r_bloomtintr 6.0", "mat_monitorgamma_tv_exp 1.6"},
      {"r_bloomtintb 6.0", "r_bloomtintexponent 3.33", "r_bloomtintg 6.0", "r_bloomtintr 6.0", "mat_monitorgamma_tv_exp 1.9"}};
  const std::string_view scales[] = {"3.59", "6.54", "8.55", "10.70", "16.80", "0.70", "1.20", "1.61"};
  settings.EnhancedBloom = 1;
  for (int level = 1; level <= 8; ++level) {
    settings.BloomLevel = level;
    std::vector<std::string> expected = {
        "mat_bloom_scalefactor_scalar " + std::string(scales[level - 1]), "mat_bloomscale 1",
        "mat_bloomamount_rate 0.05"};
    expected.insert(expected.end(), tails[static_cast<std::size_t>(level - 1)].begin(),
                    tails[static_cast<std::size_t>(level - 1)].end());
    EXPECT_EQ(expected, BloomLines()) << "level " << level;
  }
  for (const int level : {0, 9, -1}) {
    settings.BloomLevel = level;
    EXPECT_EQ(kDefaultBloom, BloomLines()) << "level " << level;
  }
  settings.EnhancedBloom = 0;
  settings.BloomLevel = 6;
  EXPECT_EQ(kDefaultBloom, BloomLines());
}

// The whole list against the expected data: one entry a line, in removal
// order, with CR and LF written as \r and \n.
TEST(RemovalEntriesTest, MatchTheExpectedListWholeAndInOrder) {
  const std::optional<std::vector<std::string>> lines = testing::EscapedLines("removal_entries.txt");
  ASSERT_TRUE(lines.has_value()) << "cannot read " << testing::TestDataPath("removal_entries.txt")
                                 << ", or its last line has no LF";
  const std::vector<std::string>& expected = *lines;
  ASSERT_FALSE(expected.empty());

  const std::vector<std::string> actual = RemovalEntries();
  if (expected == actual) return;

  std::size_t first_difference = 0;
  while (first_difference < expected.size() && first_difference < actual.size() &&
         expected[first_difference] == actual[first_difference]) {
    ++first_difference;
  }
  const auto at = [](const std::vector<std::string>& entries, std::size_t n) {
    return n < entries.size() ? "\"" + testing::Escaped(entries[n]) + "\"" : std::string("(none)");
  };
  ADD_FAILURE() << expected.size() << " entries expected, " << actual.size()
                << " found; first difference at entry " << first_difference + 1
                << "\n  expected: " << at(expected, first_difference)
                << "\n  actual:   " << at(actual, first_difference);
}

TEST_F(SettingsBlockTest, CutsAtTheFirstMarkerWhereverItStands) {
  const std::string generated = GeneratedPart(state);
  EXPECT_EQ(generated, Regenerate(""));
  EXPECT_EQ("keep\r\n" + generated,
            Regenerate("keep\r\n" + std::string(kMarkerLine) + "\r\nlost\r\n" +
                       std::string(kMarkerLine) + "\r\nlost too"));
  EXPECT_EQ("echo x " + generated, Regenerate("echo x " + std::string(kMarkerLine)));
  // No final line end: the marker continues the last line.
  EXPECT_EQ("bind x jump" + generated, Regenerate("bind x jump"));
  // A marker cut short is not one.
  const std::string partial(kMarkerLine.substr(0, 76));
  EXPECT_EQ(partial + generated, Regenerate(partial));
}

TEST_F(SettingsBlockTest, RemovesWholeEntriesOnly) {
  const std::string generated = GeneratedPart(state);
  EXPECT_EQ("a\r\nb\r\n" + generated, Regenerate("a\r\ncrosshair 0\r\nb\r\n"));
  // The entry needs its line end; in the middle of a line it stays.
  EXPECT_EQ("say crosshair 0 now\r\n" + generated, Regenerate("say crosshair 0 now\r\n"));
  // Not only at a line start: the end of a longer line goes.
  EXPECT_EQ("//crosshair 1 // \r\n" + generated,
            Regenerate("//crosshair 1 // crosshair 1\r\n\r\n"));
  // S7 takes the two-blank forms only.
  EXPECT_EQ("mat_monitorgamma 2.2\r\n" + generated,
            Regenerate("mat_monitorgamma  1\r\nmat_monitorgamma 2.2\r\nmat_monitorgamma  2.2\r\n"));
  // Pass 2 takes entries ended by a lone CR, also out of CR LF lines.
  EXPECT_EQ("x\rbind\r\n" + generated, Regenerate("x\rmat_queue_mode -1\rbind\r\n"));
  EXPECT_EQ("\n" + generated, Regenerate("mat_hdr_level 2\r\n"));
  // LF-only lines are left alone.
  EXPECT_EQ("crosshair 0\n" + generated, Regenerate("crosshair 0\n"));
}

TEST_F(SettingsBlockTest, RemovalsJoinTextIntoLaterEntries) {
  const std::string generated = GeneratedPart(state);
  // Cutting "crosshair 0" joins "crosshair 1", whose turn comes later.
  EXPECT_EQ(generated, Regenerate("crossh" "crosshair 0\r\n" "air 1\r\n"));
  // ... but one whose turn has passed is left to the second pass, which only takes its CR.
  EXPECT_EQ("\n" + generated, Regenerate("crossh" "crosshair 1\r\n" "air 0\r\n"));
  // Within one entry's turn the joined text is not searched again.
  EXPECT_EQ("\n" + generated, Regenerate("ae_s" "ae_ssao 1\r\n" "sao 1\r\n"));
}

TEST(StripQuotesTest, TakesEveryQuote) {
  EXPECT_EQ("bind F5 jpeg\r\nx", StripQuotes("bind \"F5\" \"jpeg\"\r\n\"\"x\""));
  EXPECT_EQ(std::string("a\0b", 3), StripQuotes(std::string("a\0\"b", 4)));
}

TEST(StripSettingQuotesTest, OnlySettingLinesLoseTheirQuotes) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"mat_monitorgamma \"2.2\"\r\n", "mat_monitorgamma 2.2\r\n"},
      {"\"crosshair\" \"0\"\n", "crosshair 0\n"},
      {"   rk_ppe_uncharted \"2\"", "   rk_ppe_uncharted 2"},
      {"\t \"\"mat_queue_mode\"\t\"-1\"\r\n", "\t mat_queue_mode\t-1\r\n"},
      {"crosshair\"0\"\r\n", "crosshair0\r\n"},
      {"crosshair\r\"0\"\n", "crosshair\r0\n"},
      // Names only the generated part writes, and a series with two blanks.
      {"host_timescale \"1\"\r\n", "host_timescale 1\r\n"},
      {"rk_weapons_recoil \"1\"\r\n", "rk_weapons_recoil 1\r\n"},
      {"r_bloomtintr  \"0.3\"\r\n", "r_bloomtintr  0.3\r\n"},
      {"rk_timedownscale \"1\"", "rk_timedownscale 1"},
      // Every other line keeps its bytes.
      {"bind \"F6\" \"say quicksave; save quick\"\r\n", "bind \"F6\" \"say quicksave; save quick\"\r\n"},
      {"alias \"+jt\" \"+jump;-attack\"\n", "alias \"+jt\" \"+jump;-attack\"\n"},
      {"echo \"mat_monitorgamma 2.2\"\r\n", "echo \"mat_monitorgamma 2.2\"\r\n"},
      {"// crosshair \"0\"\r\n", "// crosshair \"0\"\r\n"},
      {"mat_monitorgamma2 \"2.2\"\r\n", "mat_monitorgamma2 \"2.2\"\r\n"},
      {"mat_monitorgam \"2.2\"", "mat_monitorgam \"2.2\""},
      {"Crosshair \"0\"\n", "Crosshair \"0\"\n"},
      {"sv_cheats \"1\"\r\n", "sv_cheats \"1\"\r\n"},
      {"x\rcrosshair \"0\"\n", "x\rcrosshair \"0\"\n"},
      {"\"\" \"crosshair\"\r\n", " crosshair\r\n"},  // leading quotes and blanks are skipped
      {"\"\"\r\n\"\n\"", "\"\"\r\n\"\n\""},
      {"", ""},
      // A line runs up to its LF: the neighbours of a setting line keep their quotes.
      {"bind \"a\" \"b\"\ncrosshair \"0\"\r\nalias \"x\" \"y\"\r\n\r\necho \"z\"",
       "bind \"a\" \"b\"\ncrosshair 0\r\nalias \"x\" \"y\"\r\n\r\necho \"z\""},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(test.expected, StripSettingQuotes(test.text))
        << "text: " << ::testing::PrintToString(test.text);
  }
}

// Quoting the name and the value of any line the block handles changes nothing
// in what a save gives, whichever table the name comes from.
TEST_F(SettingsBlockTest, QuotedSettingLinesAreReplacedLikePlainOnes) {
  const auto quoted = [](const std::string& line) {
    const std::size_t name_end = line.find(' ');
    const std::size_t value = line.find_first_not_of(' ', name_end);
    const std::size_t value_end = std::min(line.find_first_of("\r\n", value), line.size());
    return '"' + line.substr(0, name_end) + '"' + line.substr(name_end, value - name_end) + '"' +
           line.substr(value, value_end - value) + '"' + line.substr(value_end);
  };
  std::vector<std::string> lines = RemovalEntries();
  const std::vector<std::string> generated = Generated();
  for (auto line = generated.begin() + 2; line != generated.end(); ++line) {
    lines.push_back(*line + "\r\n");
  }
  for (const std::string& line : lines) {
    const std::string text = "bind \"x\" \"y\"\r\n" + quoted(line) + "alias \"a\" \"b\"\r\n";
    const std::string plain = "bind \"x\" \"y\"\r\n" + line + "alias \"a\" \"b\"\r\n";
    EXPECT_EQ(Regenerate(plain), Regenerate(text)) << ::testing::PrintToString(text);
  }
}

TEST_F(SettingsBlockTest, PlayersBindsAndAliasesKeepTheirQuotes) {
  const std::string text =
      "bind \"F6\" \"say quicksave; save quick\"\r\n"
      "alias \"+jt\" \"+jump;-attack\"\r\n"
      "crosshair \"0\"\r\n"
      "\"mat_queue_mode\" \"2\"\r\n"
      "echo \"mat_monitorgamma 2.2\"\r\n";
  EXPECT_EQ(
      "bind \"F6\" \"say quicksave; save quick\"\r\n"
      "alias \"+jt\" \"+jump;-attack\"\r\n"
      "echo \"mat_monitorgamma 2.2\"\r\n" +
          GeneratedPart(state),
      Regenerate(text));
}

TEST_F(SettingsBlockTest, SavingTwiceChangesNothing) {
  settings.Sharpen = settings.EnhancedBloom = settings.VeyraWeapons = 1;
  settings.BloomLevel = 7;
  const std::string once =
      Regenerate("bind \"F5\" \"jpeg\"\r\nsv_cheats 1\r\ncrosshair \"0\"\r\nno final line end");
  EXPECT_EQ(once, Regenerate(once));
}

TEST_F(SettingsBlockTest, MatchesTheLiteralRemovalOnAdversarialTexts) {
  std::mt19937 random(20240607);
  for (int round = 0; round < 400; ++round) {
    std::string bytes(4 * (1 + random() % 150), '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    const std::string text = testing::AdversarialText(bytes);
    const std::string expected = testing::LiteralRegenerate(text, state);
    const std::string actual = RegenerateSettingsBlock(text, state);
    if (expected != actual) {
      ADD_FAILURE() << "round " << round << "\ntext:     " << ::testing::PrintToString(text)
                    << "\nexpected: " << ::testing::PrintToString(expected)
                    << "\nactual:   " << ::testing::PrintToString(actual);
      return;
    }
  }
}

}  // namespace
}  // namespace veyra::config
