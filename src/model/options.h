// The check-box options of the settings dialog: one row each, naming the
// control, the settings flag it stands for, when the flag takes the box's
// state and what acts on the flag.
#pragma once

#include <span>

#include "model/program_state.h"

namespace veyra::model {

// Every flag takes its box's state when the player confirms. Those the console
// settings decide also do so once they are read at start.
enum class Taken { kAtStart, kOnConfirmation };

// What acts on the flag: a line of the generated console block, a step of the
// apply phase, or both.
enum class Use { kBlock, kApplyPhase, kBlockAndApplyPhase };

struct CheckBoxOption {
  int control;
  int SettingsState::*flag;
  Taken taken;
  Use use;
};

std::span<const CheckBoxOption> CheckBoxOptions();

}  // namespace veyra::model
