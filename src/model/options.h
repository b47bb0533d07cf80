// Which check box of the settings dialog stands for which settings flag.
#pragma once

#include <span>

#include "model/program_state.h"

namespace veyra::model {

struct CheckBoxOption {
  int control;
  int SettingsState::*flag;
  // False for the options taken from the dialog only when the player confirms;
  // the others also follow their boxes once the console settings are read at start.
  bool taken_at_start;
};

std::span<const CheckBoxOption> CheckBoxOptions();

}  // namespace veyra::model
