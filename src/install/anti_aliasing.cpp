#include "install/anti_aliasing.h"

#include "model/game_paths.h"
#include "platform/registry.h"

namespace veyra::install {
namespace {

struct SettingsKey {
  const char* path;
  const char* failure_message;
};

// The three games' keys are written twice; the two messages differ in one letter.
constexpr SettingsKey kSettingsKeys[] = {
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

}  // namespace

void ResetAntiAliasing(platform::Os& os) {
  for (const SettingsKey& key : kSettingsKeys) {
    for (const char* value : model::paths::kAntiAliasingValues) {
      if (platform::RegWriteDword(os, 0, key.path, value, 0) == 0) {
        os.ShowMessage(key.failure_message, "",
                       platform::mb::kOk | platform::mb::kTaskModal | platform::mb::kSetForeground);
      }
    }
  }
}

}  // namespace veyra::install
