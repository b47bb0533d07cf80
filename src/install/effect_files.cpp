#include "install/effect_files.h"

#include "config/text_file.h"

namespace veyra::install {
namespace {

constexpr const char* kPrecacheLists[] = {
    "\\VYhl2\\shadereditorui\\postprocessing_precache.txt",
    "\\VYepisodic\\shadereditorui\\postprocessing_precache.txt",
    "\\VYep2\\shadereditorui\\postprocessing_precache.txt",
};

}  // namespace

void ApplySunraysChoice(platform::Os& os, const app::ProgramState& state) {
  const app::SettingsState& settings = state.Settings;
  const auto edit = settings.Sunrays != 1            ? &config::DisableSunrays
                    : settings.SunraysLevel == 2     ? &config::EnableSunraysStrong
                                                     : &config::EnableSunraysNormal;
  bool first = true;
  for (const char* list : kPrecacheLists) {
    if (!first) os.Sleep(300);
    first = false;
    edit(os, state, state.BasePath + list);
  }
}

}  // namespace veyra::install
