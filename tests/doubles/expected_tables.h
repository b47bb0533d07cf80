// Data tables of the program as the tests expect them, written down once for
// every test that needs them, and independently of the code under test: none
// of this comes from the program's own tables.
#pragma once

#include <string>
#include <string_view>

#include "model/program_state.h"

namespace veyra::testing {

// The anti-aliasing values reset to 0 in each Settings key.
inline constexpr const char* kAntiAliasingValueNames[] = {"mat_antialias", "ScreenMSAA",
                                                          "mat_aaquality", "ScreenMSAAQuality"};

// The Settings keys in the order they are written, with the message a failed
// write shows. The three games' keys are written twice; the messages differ
// in one letter.
struct AntiAliasingKey {
  const char* path;
  const char* failure_message;
};
inline constexpr AntiAliasingKey kAntiAliasingKeys[] = {
    {"Software\\Valve\\Source\\ep2\\Settings", "Error writing AA settings in Registry!"},
    {"Software\\Valve\\Source\\episodic\\Settings", "Error writing AA settings in Registry!"},
    {"Software\\Valve\\Source\\hl2\\Settings", "Error writing AA settings in Registry!"},
    {"Software\\Valve\\Source\\ep2\\Settings", "Error writing AA settings In Registry!"},
    {"Software\\Valve\\Source\\episodic\\Settings", "Error writing AA settings In Registry!"},
    {"Software\\Valve\\Source\\hl2\\Settings", "Error writing AA settings In Registry!"},
    {"Software\\Valve\\Source\\VYep2\\Settings", "Error writing AA settings In Registry!"},
    {"Software\\Valve\\Source\\VYepisodic\\Settings", "Error writing AA settings In Registry!"},
    {"Software\\Valve\\Source\\VYhl2\\Settings", "Error writing AA settings In Registry!"},
};

// An effect's file name and, on the next line, its switch, as the precache
// lists hold them: the text the sun-rays patterns look for.
inline std::string PrecacheSwitch(std::string_view effect_file, char digit) {
  return std::string(effect_file) + "\"\n\t\t\"effect_start_enabled\"\t\t\"" + digit + '"';
}

// The four sun-rays patterns, as the detection sets them.
inline void SetSunraysPatterns(model::ProgramState& state) {
  state.SunraysOnPattern = PrecacheSwitch("ppe_sunrays.txt", '1');
  state.SunraysOffPattern = PrecacheSwitch("ppe_sunrays.txt", '0');
  state.SunraysStrongOnPattern = PrecacheSwitch("ppe_sunrays_strong.txt", '1');
  state.SunraysStrongOffPattern = PrecacheSwitch("ppe_sunrays_strong.txt", '0');
}

}  // namespace veyra::testing
