#include "app/guards.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "app/interface_texts.h"
#include "install/apply_phase.h"

namespace veyra::app {
namespace {

constexpr std::uint32_t kAlert =
    platform::mb::kIconExclamation | platform::mb::kTaskModal | platform::mb::kSetForeground;
constexpr std::uint32_t kQuestion = platform::mb::kYesNo | platform::mb::kIconQuestion |
                                    platform::mb::kTaskModal | platform::mb::kSetForeground;

constexpr const char* kGameProgram = "hl2.exe";

// Room for what a rewritten text file may grow by (the generated settings
// block is a few KB), and for the set's manifest, the log and the hash list.
constexpr std::uint64_t kGrowthPerRewrite = 64 << 10;
constexpr std::uint64_t kRecordsRoom = 1 << 20;

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

// A snapshot that cannot be taken tells nothing: the held files still do.
bool GameRuns(platform::Os& os) {
  const std::optional<std::vector<platform::ProcessEntry>> processes = os.ProcessSnapshot();
  return processes && std::any_of(processes->begin(), processes->end(),
                                  [](const platform::ProcessEntry& process) {
                                    return EqualsNoCase(process.exe_name, kGameProgram);
                                  });
}

// Every file the plan changes, once each.
std::vector<std::string> ChangedFiles(const install::ChangePlan& plan) {
  std::vector<std::string> files;
  std::set<std::string> seen;
  const auto add = [&](const std::string& path) {
    if (seen.insert(path).second) files.push_back(path);
  };
  for (const platform::Os::FileCopy& copy : plan.written) add(copy.to);
  for (const std::string& path : plan.rewritten) add(path);
  for (const std::string& path : plan.deleted) add(path);
  return files;
}

// The existing files another program holds open: they cannot be opened for
// writing without sharing. Each is closed again at once; one missing is not
// opened, as that would make it.
std::vector<std::string> HeldFiles(platform::Os& os, const install::ChangePlan& plan) {
  std::vector<std::string> held;
  for (const std::string& path : ChangedFiles(plan)) {
    const std::optional<platform::FileStamp> stamp = os.Stamp(path);
    if (!stamp || stamp->folder) continue;
    platform::SystemError code = platform::error::kSuccess;
    if (os.Open(path, platform::FileAccess::kReadWrite, code)) continue;
    if (code == platform::error::kSharingViolation || code == platform::error::kLockViolation) {
      held.push_back(path);
    }
  }
  return held;
}

// What uses the game's files, one a line; "" when nothing does.
std::string InUse(platform::Os& os, const std::string& language, const install::ChangePlan& plan) {
  std::vector<std::string> lines;
  if (GameRuns(os)) lines.push_back(MessageText(language, Message::kGameRunning));
  const std::vector<std::string> held = HeldFiles(os, plan);
  if (held.size() == 1) {
    lines.push_back(MessageText(language, Message::kFileInUse, {held[0]}));
  } else if (held.size() == 2) {
    lines.push_back(MessageText(language, Message::kFileAndOneMoreInUse, {held[0]}));
  } else if (held.size() > 2) {
    lines.push_back(
        MessageText(language, Message::kFilesInUse, {held[0], std::to_string(held.size() - 1)}));
  }
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

std::uint64_t SizeOf(platform::Os& os, const std::string& path) {
  const std::optional<platform::FileStamp> stamp = os.Stamp(path);
  return stamp && !stamp->folder ? stamp->size : 0;
}

// What the change may take from the drive, counted high. A copy takes its
// source's size: the file it replaces moves into the backups, which frees
// nothing, and one already alike is counted all the same. A text file
// rewritten takes twice its size and some: the backups keep a copy of the old
// one, and the new one, which may have grown, is made beside it. A deletion
// takes nothing and frees nothing, as the file moves into the backups.
std::uint64_t BytesNeeded(platform::Os& os, const install::ChangePlan& plan) {
  std::uint64_t bytes = kRecordsRoom;
  for (const platform::Os::FileCopy& copy : plan.written) bytes += SizeOf(os, copy.from);
  for (const std::string& path : plan.rewritten) {
    bytes += 2 * SizeOf(os, path) + kGrowthPerRewrite;
  }
  return bytes;
}

std::string Caption(const model::ProgramState& state) {
  return MessageText(state.SteamLanguage, Message::kCaption);
}

}  // namespace

std::string ByteCount(std::uint64_t bytes, bool german, Rounding rounding) {
  constexpr std::uint64_t kKilo = 1024, kMega = 1024 * 1024;
  const auto divided = [rounding](std::uint64_t value, std::uint64_t unit) {
    return rounding == Rounding::kUp ? (value + unit - 1) / unit : value / unit;
  };
  if (bytes < kMega) return std::to_string(divided(bytes, kKilo)) + " KB";
  const std::uint64_t tenths = divided(bytes * 10, kMega);
  return std::to_string(tenths / 10) + (german ? "," : ".") + std::to_string(tenths % 10) + " MB";
}

std::optional<install::KeptFiles> CheckBeforeChanges(platform::Os& os,
                                                     const model::ProgramState& planned) {
  const std::string& language = planned.SteamLanguage;
  const install::ChangePlan plan = install::PlanApplyPhase(os, planned);

  for (std::string in_use = InUse(os, language, plan); !in_use.empty();
       in_use = InUse(os, language, plan)) {
    const int answer = os.ShowMessage(MessageText(language, Message::kGameInUse, {in_use}),
                                      Caption(planned), platform::mb::kRetryCancel | kAlert);
    if (answer != platform::mb::kIdRetry) return std::nullopt;
  }

  // Without an answer from the drive the journal's own check before each
  // content set's copies still stands.
  std::uint64_t free = 0;
  if (os.FreeSpace(planned.BasePath, free) == platform::error::kSuccess) {
    if (const std::uint64_t needed = BytesNeeded(os, plan); free < needed) {
      const bool german = IsGermanInterface(language);
      os.ShowMessage(MessageText(language, Message::kNotEnoughSpace,
                                 {ByteCount(needed, german, Rounding::kUp),
                                  ByteCount(free, german, Rounding::kDown), planned.BasePath}),
                     Caption(planned), platform::mb::kOk | kAlert);
      return std::nullopt;
    }
  }

  const std::vector<std::string> foreign =
      install::ForeignLibraries(os, planned, plan.injectors, plan.written);
  if (foreign.empty()) return install::KeptFiles{};
  std::string names;
  for (const std::string& path : foreign) names += (names.empty() ? "" : "\r\n") + path;
  const Message question = foreign.size() == 1 ? Message::kForeignLibrary : Message::kForeignLibraries;
  if (os.ShowMessage(MessageText(language, question, {names}), Caption(planned), kQuestion) ==
      platform::mb::kIdYes) {
    return install::KeptFiles{};
  }
  return install::KeptFiles(foreign.begin(), foreign.end());
}

}  // namespace veyra::app
