// The post-processing injectors: SweetFX with its preset file, and ReShade.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "install/directory_copy.h"
#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::install {

// Files the injector steps leave where they are although they would delete
// them (full paths, spelled as InjectorPlan names them): the player's own.
using KeptFiles = std::set<std::string>;

// Installs SweetFX with the chosen preset when it is chosen, and otherwise
// removes its files (leaving those ReShade shares while ReShade stays chosen).
// The first copy, delete or rewrite that fails ends the step and is the result.
platform::Result ApplySweetFx(platform::Os& os, const model::ProgramState& state,
                              const KeptFiles& kept = {});

// Installs or removes ReShade when the choice differs from what was installed;
// the result as for SweetFX.
platform::Result ApplyReShade(platform::Os& os, const model::ProgramState& state,
                              const KeptFiles& kept = {});

// What the two steps would do for the state, from the same tables: the files
// they delete (whether there or not), the folders they copy and the files
// they write whole.
struct InjectorPlan {
  std::vector<std::string> deleted;
  std::vector<FolderCopy> copied;
  std::vector<std::string> rewritten;
};
InjectorPlan PlanInjectors(const model::ProgramState& state);

// The injector libraries (d3d9.dll, dxgi.dll) the plan deletes, and no copy of
// it puts back, whose bytes are none the modification ships for its injectors
// (below SweetFX_Resources and Reshade_Resources) nor any content its own
// backup sets record writing to that place: a library of the player's own.
// `written` are the files the plan's copies write.
std::vector<std::string> ForeignLibraries(platform::Os& os, const model::ProgramState& state,
                                          const InjectorPlan& plan,
                                          const std::vector<platform::Os::FileCopy>& written);

}  // namespace veyra::install
