// The generated settings block at the end of each autoexec.cfg: known setting
// lines are taken out of the part the player edits, the old block is cut off
// and a new one is built from the confirmed settings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/program_state.h"

namespace veyra::config {

inline constexpr std::string_view kMarkerLine =
    "// Configurator generated settings: NEVER EVER EDIT THE LINES BELOW MANUALLY!";
inline constexpr std::string_view kBlockRuleLine =
    "// --------------------------------------------------------------------------";

// The text without any double-quote character.
std::string StripQuotes(std::string_view text);

// The text with the double quotes taken out of each line (up to and including
// its LF) whose first word names a console setting that the removal or the
// generated part handles, so that `crosshair "0"` is found and replaced. Every
// other line keeps its bytes: the quotes of a bind or an alias are part of
// its meaning.
std::string StripSettingQuotes(std::string_view text);

// Takes the quotes out of the setting lines (StripSettingQuotes), keeps what
// then stands before the first marker, removes every removal entry from it (in
// the order of RemovalEntries) and appends GeneratedPart.
std::string RegenerateSettingsBlock(std::string_view text, const model::ProgramState& state);

// The texts removed from the free part, in the order they are removed: the
// entries with CR LF endings first, then those with a lone CR.
std::vector<std::string> RemovalEntries();

// The marker line, the block rule line and the 36 setting lines, each ended by CR LF.
std::string GeneratedPart(const model::ProgramState& state);

}  // namespace veyra::config
