#include "install/effect_files.h"

#include "config/text_file.h"
#include "model/game_paths.h"

namespace veyra::install {

bool EnableSunraysNormal(platform::Os& os, const model::ProgramState& state,
                         const std::string& path) {
  return config::EditFileReplacing(os, path, state.SunraysOffPattern, state.SunraysOnPattern,
                                   state.SunraysStrongOnPattern, state.SunraysStrongOffPattern);
}

bool EnableSunraysStrong(platform::Os& os, const model::ProgramState& state, const std::string& path) {
  return config::EditFileReplacing(os, path, state.SunraysOnPattern, state.SunraysOffPattern,
                                   state.SunraysStrongOffPattern, state.SunraysStrongOnPattern);
}

bool DisableSunrays(platform::Os& os, const model::ProgramState& state, const std::string& path) {
  return config::EditFileReplacing(os, path, state.SunraysOnPattern, state.SunraysOffPattern,
                                   state.SunraysStrongOnPattern, state.SunraysStrongOffPattern);
}

void ApplySunraysChoice(platform::Os& os, const model::ProgramState& state) {
  const model::SettingsState& settings = state.Settings;
  const auto edit = settings.Sunrays != 1            ? &DisableSunrays
                    : settings.SunraysLevel == 2     ? &EnableSunraysStrong
                                                     : &EnableSunraysNormal;
  bool first = true;
  for (const char* list : model::paths::kPrecacheLists) {
    if (!first) os.Sleep(300);
    first = false;
    edit(os, state, state.BasePath + list);
  }
}

}  // namespace veyra::install
