#include "install/effect_files.h"

#include "config/text_file.h"
#include "model/game_paths.h"

namespace veyra::install {
namespace {

platform::Result SwitchEntries(platform::Os& os, const std::string& path, std::string_view find1,
                               std::string_view repl1, std::string_view find2,
                               std::string_view repl2) {
  if (!config::FileExists(os, path)) return {};
  return config::ReplaceInFile(os, path, find1, repl1, find2, repl2);
}

}  // namespace

platform::Result EnableSunraysNormal(platform::Os& os, const model::ProgramState& state,
                                     const std::string& path) {
  return SwitchEntries(os, path, state.SunraysOffPattern, state.SunraysOnPattern,
                       state.SunraysStrongOnPattern, state.SunraysStrongOffPattern);
}

platform::Result EnableSunraysStrong(platform::Os& os, const model::ProgramState& state,
                                     const std::string& path) {
  return SwitchEntries(os, path, state.SunraysOnPattern, state.SunraysOffPattern,
                       state.SunraysStrongOffPattern, state.SunraysStrongOnPattern);
}

platform::Result DisableSunrays(platform::Os& os, const model::ProgramState& state,
                                const std::string& path) {
  return SwitchEntries(os, path, state.SunraysOnPattern, state.SunraysOffPattern,
                       state.SunraysStrongOnPattern, state.SunraysStrongOffPattern);
}

void ApplySunraysChoice(platform::Os& os, const model::ProgramState& state) {
  const model::SettingsState& settings = state.Settings;
  const auto edit = settings.Sunrays != 1        ? &DisableSunrays
                    : settings.SunraysLevel == 2 ? &EnableSunraysStrong
                                                 : &EnableSunraysNormal;
  bool first = true;
  for (const char* list : model::paths::kPrecacheLists) {
    if (!first) os.Sleep(300);
    first = false;
    platform::Ignore(edit(os, state, state.BasePath + list),
                     "a failure is shown where it happens; the other lists are still switched");
  }
}

}  // namespace veyra::install
