#include "app/undo.h"

#include <algorithm>
#include <optional>

#include "app/interface_texts.h"
#include "config/file_errors.h"
#include "config/text_file.h"
#include "install/journal.h"

namespace veyra::app {
namespace {

constexpr std::uint32_t kQuestion = platform::mb::kYesNo | platform::mb::kIconQuestion |
                                    platform::mb::kTaskModal | platform::mb::kSetForeground;
constexpr std::uint32_t kNotice =
    platform::mb::kOk | platform::mb::kIconExclamation | platform::mb::kTaskModal;

std::string Caption(const model::ProgramState& state) {
  return MessageText(state.SteamLanguage, Message::kCaption);
}

// The names of the sets, oldest first; nothing when they cannot all be listed
// (reported): undoing or listing from part of them would pick the wrong ones.
std::optional<std::vector<std::string>> SetNames(platform::Os& os, const std::string& game_folder) {
  std::vector<std::string> names;
  if (const platform::SystemError code = install::ListSets(os, game_folder, names);
      code != platform::error::kSuccess) {
    config::ReportFileFailure(os, config::OpenFailureMessage::kOpen,
                              install::SetsFolder(game_folder), config::FileErrorFor(code));
    return std::nullopt;
  }
  return names;
}

// The newest `count` of the sets `names`, newest first.
std::vector<install::BackupSet> NewestSets(platform::Os& os, const std::string& game_folder,
                                           const std::vector<std::string>& names,
                                           std::size_t count) {
  std::vector<install::BackupSet> sets;
  for (auto name = names.rbegin(); name != names.rend() && sets.size() < count; ++name) {
    if (std::optional<install::BackupSet> set = install::ReadSet(os, game_folder, *name)) {
      sets.push_back(std::move(*set));
    }
  }
  return sets;
}

// Shows what could not be put back; true when nothing failed.
bool ReportRestore(platform::Os& os, const model::ProgramState& state,
                   const install::RestoreOutcome& outcome) {
  if (outcome.failures.empty()) return true;
  std::string lines;
  for (const platform::Result& failure : outcome.failures) {
    lines += failure.subject() + " (" + config::ErrorLine(config::FileErrorFor(failure.code())) +
             ")\r\n";
  }
  os.ShowMessage(MessageText(state.SteamLanguage, Message::kRestoreFailed, {lines}), Caption(state),
                 kNotice);
  return false;
}

// Text for the player where the program was started from: its console, or a message.
void Tell(platform::Os& os, const model::ProgramState& state, const std::string& text) {
  // A console takes plain line ends.
  if (!os.WriteToParentConsole(config::ReplaceAll(text, "\r\n", "\n"))) {
    os.ShowMessage(text, Caption(state),
                   platform::mb::kOk | platform::mb::kTaskModal | platform::mb::kSetForeground);
  }
}

int Restore(platform::Os& os, const model::ProgramState& state, std::size_t count, bool quiet) {
  const std::optional<std::vector<std::string>> names = SetNames(os, state.BasePath);
  if (!names) return kExitFailed;
  const std::vector<install::BackupSet> sets = NewestSets(os, state.BasePath, *names, count);
  if (sets.empty()) {
    if (!quiet) {
      os.ShowMessage(MessageText(state.SteamLanguage, Message::kNothingToRestore), Caption(state),
                     platform::mb::kOk | platform::mb::kTaskModal | platform::mb::kSetForeground);
    }
    return kExitNothingDone;
  }
  if (!quiet) {
    install::BackupSet all;
    for (const install::BackupSet& set : sets) {
      all.changes.insert(all.changes.end(), set.changes.begin(), set.changes.end());
    }
    const install::SetSize size = install::CountSubjects(all);
    const std::string question =
        sets.size() == 1 ? MessageText(state.SteamLanguage, Message::kRestoreQuestion,
                                       {sets[0].started, std::to_string(size.files),
                                        std::to_string(size.values)})
                         : MessageText(state.SteamLanguage, Message::kRestoreManyQuestion,
                                       {std::to_string(sets.size()), sets.back().started,
                                        std::to_string(size.files), std::to_string(size.values)});
    if (os.ShowMessage(question, Caption(state), kQuestion) != platform::mb::kIdYes) {
      return kExitNothingDone;
    }
  }
  const install::RestoreOutcome outcome = install::RestoreSets(os, state.BasePath, sets, "restore");
  return ReportRestore(os, state, outcome) ? kExitDone : kExitFailed;
}

int History(platform::Os& os, const model::ProgramState& state) {
  const std::optional<std::vector<std::string>> listed = SetNames(os, state.BasePath);
  if (!listed) return kExitFailed;
  const std::vector<std::string>& names = *listed;
  if (names.empty()) {
    Tell(os, state, MessageText(state.SteamLanguage, Message::kNoHistory) + "\r\n");
    return kExitDone;
  }
  std::string text = MessageText(state.SteamLanguage, Message::kHistoryTitle) + "\r\n";
  for (const std::string& name : names) {
    if (const std::optional<install::BackupSet> set = install::ReadSet(os, state.BasePath, name)) {
      text += install::SetSummary(*set) + "\r\n";
    }
  }
  Tell(os, state, text);
  return kExitDone;
}

// A switch as the player may write it: "/restore", "-restore", any case.
std::optional<std::string> Switch(const std::string& argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return std::nullopt;
  std::string name = argument.substr(1);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name;
}

std::optional<std::size_t> Count(const std::string& argument) {
  if (argument.empty() || argument.size() > 4 ||
      !std::all_of(argument.begin(), argument.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const std::size_t count = std::stoul(argument);
  return count == 0 ? std::nullopt : std::optional(count);
}

}  // namespace

void OfferRecovery(platform::Os& os, const model::ProgramState& state) {
  const std::optional<std::vector<std::string>> names = SetNames(os, state.BasePath);
  if (!names) return;
  const std::vector<install::BackupSet> newest = NewestSets(os, state.BasePath, *names, 1);
  if (newest.empty() || newest[0].complete) return;
  const install::BackupSet& interrupted = newest[0];
  const std::string question =
      MessageText(state.SteamLanguage, Message::kRecoveryQuestion, {interrupted.started});
  if (os.ShowMessage(question, Caption(state), kQuestion) == platform::mb::kIdYes) {
    ReportRestore(os, state, install::RestoreSets(os, state.BasePath, {interrupted}, "recovery"));
  }
  const platform::Result marked = install::MarkComplete(os, state.BasePath, interrupted.name);
  platform::Ignore(marked,
                   "a set still marked interrupted is only offered again at the next start");
}

int RunCommand(platform::Os& os, const model::ProgramState& state,
               const std::vector<std::string>& arguments) {
  const std::optional<std::string> command = Switch(arguments[0]);
  if (command == "restore") {
    std::size_t count = 1;
    bool quiet = false;
    bool counted = false;
    bool valid = true;
    for (std::size_t n = 1; n < arguments.size() && valid; ++n) {
      const std::optional<std::size_t> given = Count(arguments[n]);
      if (Switch(arguments[n]) == "quiet" && !quiet) {
        quiet = true;
      } else if (given && !counted) {
        count = *given;
        counted = true;
      } else {
        valid = false;
      }
    }
    if (valid) return Restore(os, state, count, quiet);
  } else if (command == "history" && arguments.size() == 1) {
    return History(os, state);
  } else if ((command == "?" || command == "help") && arguments.size() == 1) {
    Tell(os, state, MessageText(state.SteamLanguage, Message::kUsage, {VEYRA_VERSION}));
    return kExitDone;
  }
  Tell(os, state, MessageText(state.SteamLanguage, Message::kUsage, {VEYRA_VERSION}));
  return kExitFailed;
}

}  // namespace veyra::app
