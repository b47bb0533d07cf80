#include "app/undo.h"

#include <algorithm>
#include <optional>

#include "app/change_description.h"
#include "app/cut_short_steps.h"
#include "app/guards.h"
#include "app/interface_texts.h"
#include "backups/confinement.h"
#include "backups/log.h"
#include "backups/restore.h"
#include "backups/sets.h"
#include "config/file_errors.h"
#include "config/text_file.h"
#include "install/directory_copy.h"

namespace veyra::app {
namespace {

constexpr std::uint32_t kQuestion = platform::mb::kYesNo | platform::mb::kIconQuestion |
                                    platform::mb::kTaskModal | platform::mb::kSetForeground;
constexpr std::uint32_t kNotice =
    platform::mb::kOk | platform::mb::kIconExclamation | platform::mb::kTaskModal;

std::string Caption(const model::ProgramState& state) {
  return MessageText(state.SteamLanguage, Message::kCaption);
}

// Every set, oldest first; nothing when they cannot all be read (reported):
// undoing or listing from part of them would pick the wrong ones.
std::optional<std::vector<backups::BackupSet>> AllSets(platform::Os& os,
                                                       const std::string& game_folder) {
  std::vector<backups::BackupSet> sets;
  if (const platform::Result listed = backups::ListSets(os, game_folder, sets); !listed.ok()) {
    config::ReportFileFailure(os, config::OpenFailureMessage::kOpen, listed.subject(),
                              config::FileErrorFor(listed.code()));
    return std::nullopt;
  }
  return sets;
}

// Shows what was refused or could not be put back; true when nothing was.
bool ReportRestore(platform::Os& os, const model::ProgramState& state,
                   const backups::RestoreOutcome& outcome) {
  if (outcome.refused_set) {
    os.ShowMessage(MessageText(state.SteamLanguage, Message::kSetRefused,
                               {*outcome.refused_set, *outcome.forbidden_line}),
                   Caption(state), kNotice);
    return false;
  }
  if (!outcome.damaged.empty()) {
    std::string lines;
    for (const std::string& subject : outcome.damaged) lines += subject + "\r\n";
    os.ShowMessage(MessageText(state.SteamLanguage, Message::kContentsDamaged, {lines}),
                   Caption(state), kNotice);
    return false;
  }
  if (outcome.room) {
    const bool german = model::IsGermanInterface(state.SteamLanguage);
    os.ShowMessage(MessageText(state.SteamLanguage, Message::kNoRoomToRestore,
                               {ByteCount(outcome.room->needed, german, Rounding::kUp),
                                ByteCount(outcome.room->free, german, Rounding::kDown),
                                state.BasePath}),
                   Caption(state), kNotice);
    return false;
  }
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

// Runs an undo in the wait window, its bar showing the files and values dealt
// with; a console that started the program hears every tenth part as well.
backups::RestoreOutcome WithProgress(
    platform::Os& os, const model::ProgramState& state,
    const std::function<backups::RestoreOutcome(const backups::RestoreProgress&)>& undo) {
  const std::unique_ptr<platform::WaitWindow> window =
      install::ShowWaitWindow(os, state.SteamLanguage);
  bool console = true;
  std::size_t told = 0;
  const backups::RestoreProgress progress = [&](std::size_t done, std::size_t total) {
    window->ShowProgress(done, total);
    if (!console || done * 10 / total == told * 10 / total) return;
    told = done;
    console = os.WriteToParentConsole(std::to_string(done) + " / " + std::to_string(total) + "\n");
  };
  backups::RestoreOutcome outcome;
  os.RunBesideMessageLoop([&] { outcome = undo(progress); });
  return outcome;
}

// The undo that was cut short, finished; the sets it undoes are dealt with then.
bool Resume(platform::Os& os, const model::ProgramState& state,
            const std::vector<backups::BackupSet>& sets, const platform::Os::FolderLock& lock) {
  const backups::BackupSet& resumed = sets.back();
  const backups::RestoreOutcome outcome = WithProgress(os, state, [&](const auto& progress) {
    return backups::ResumeRestore(os, state.BasePath, resumed, sets, lock, progress);
  });
  for (const std::uint64_t undone : resumed.undoes) {
    const backups::BackupSet* set = backups::FindSet(sets, undone);
    if (set && !set->complete) {
      platform::Ignore(backups::MarkComplete(os, state.BasePath, set->name),
                       "a set still marked interrupted is only offered again at the next start");
    }
  }
  return ReportRestore(os, state, outcome);
}

// Undoes `newest_first` as the set `action` ("restore" or "recovery"), in the
// wait window, and reports what was refused or could not be put back; true
// when neither. Steps marked as cut short by these sets alone are whole again
// afterwards, as before them.
bool UndoSets(platform::Os& os, const model::ProgramState& state,
              const std::vector<backups::BackupSet>& newest_first, const std::string& action,
              const platform::Os::FolderLock& lock) {
  const backups::RestoreOutcome outcome = WithProgress(os, state, [&](const auto& progress) {
    return backups::RestoreSets(os, state.BasePath, newest_first, action, lock, progress);
  });
  if (!outcome.refused() &&
      std::any_of(newest_first.begin(), newest_first.end(), [&](const backups::BackupSet& set) {
        return CutShortOnlyIn(os, state.BasePath, set.name);
      })) {
    ClearCutShort(os, state.BasePath);
  }
  return ReportRestore(os, state, outcome);
}

// What /restore undoes: the N changes next in the walk back, or one set by its name.
struct RestoreChoice {
  std::size_t count = 1;
  std::optional<std::string> set_name;
};

int Restore(platform::Os& os, const model::ProgramState& state, const RestoreChoice& choice,
            bool quiet) {
  const std::unique_ptr<platform::Os::FolderLock> lock = LockOrSay(os, state);
  if (!lock) return kExitFailed;
  const std::optional<std::vector<backups::BackupSet>> all = AllSets(os, state.BasePath);
  if (!all) return kExitFailed;
  if (!all->empty() && !all->back().complete && !all->back().undoes.empty()) {
    return Resume(os, state, *all, *lock) ? kExitDone : kExitFailed;
  }
  std::vector<backups::BackupSet> sets;
  if (choice.set_name) {
    const auto named = std::find_if(all->begin(), all->end(), [&](const backups::BackupSet& set) {
      return set.name == *choice.set_name;
    });
    if (named == all->end()) {
      Tell(os, state, MessageText(state.SteamLanguage, Message::kNoSuchSet, {*choice.set_name}));
      return kExitFailed;
    }
    sets.push_back(*named);
  } else {
    for (const backups::BackupSet* set : backups::UndoableChanges(*all)) {
      if (sets.size() == choice.count) break;
      sets.push_back(*set);
    }
  }
  if (sets.empty()) {
    if (!quiet) {
      os.ShowMessage(MessageText(state.SteamLanguage, Message::kNothingToRestore), Caption(state),
                     platform::mb::kOk | platform::mb::kTaskModal | platform::mb::kSetForeground);
    }
    return kExitNothingDone;
  }
  if (!quiet) {
    backups::BackupSet together;
    for (const backups::BackupSet& set : sets) {
      together.changes.insert(together.changes.end(), set.changes.begin(), set.changes.end());
    }
    const backups::SetSize size = backups::CountSubjects(together);
    const std::string& language = state.SteamLanguage;
    const std::string files = CountText(language, Counted::kFiles, size.files);
    const std::string values = CountText(language, Counted::kRegistryValues, size.values);
    const std::string question =
        sets.size() == 1
            ? MessageText(language, Message::kRestoreQuestion,
                          {ChangeTimeText(sets[0].started, language), files, values})
            : MessageText(language, Message::kRestoreManyQuestion,
                          {std::to_string(sets.size()), ChangeTimeText(sets.back().started, language),
                           files, values});
    if (os.ShowMessage(question, Caption(state), kQuestion) != platform::mb::kIdYes) {
      return kExitNothingDone;
    }
  }
  return UndoSets(os, state, sets, "restore", *lock) ? kExitDone : kExitFailed;
}

int History(platform::Os& os, const model::ProgramState& state) {
  const std::optional<std::vector<backups::BackupSet>> sets = AllSets(os, state.BasePath);
  if (!sets) return kExitFailed;
  if (sets->empty()) {
    Tell(os, state, MessageText(state.SteamLanguage, Message::kNoHistory) + "\r\n");
    return kExitDone;
  }
  std::string text = MessageText(state.SteamLanguage, Message::kHistoryTitle) + "\r\n";
  const backups::SummaryWords words = HistoryWords(state.SteamLanguage);
  for (const backups::BackupSet& set : *sets) {
    text += set.name + "  " + backups::SetSummary(set, words);
    if (const std::uint64_t undoer = backups::UndoneBy(*sets, set.sequence); undoer != 0) {
      text += MessageText(state.SteamLanguage, Message::kUndoneBy,
                          {backups::FindSet(*sets, undoer)->name});
    }
    text += "\r\n";
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

// A set's name as /history shows it, "000012-20261208-153012": its number and
// time (and a count when several began within one second). A count has no dash.
bool IsSetName(const std::string& argument) {
  constexpr std::size_t kLongestName = 32;
  return argument.find('-') != std::string::npos && argument.size() <= kLongestName &&
         std::all_of(argument.begin(), argument.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

// What undoing `set` brings back, one item a line, for a question.
std::string ListOfWhatComesBack(platform::Os& os, const model::ProgramState& state,
                                const backups::BackupSet& set) {
  std::string lines;
  for (const std::string& item :
       WhatUndoingBringsBack(set, state.SteamLanguage, KeptContentOf(os, state.BasePath))) {
    lines += (lines.empty() ? "  • " : "\r\n  • ") + item;
  }
  return lines;
}

}  // namespace

backups::SummaryWords HistoryWords(const std::string& language) {
  return {
      .action =
          [language](const std::string& action) {
            // "OK" is the button's name in both languages; an action of no
            // known kind is shown as the set names it.
            return action == "restore"    ? MessageText(language, Message::kHistoryRestore)
                   : action == "recovery" ? MessageText(language, Message::kHistoryRecovery)
                                          : action;
          },
      .files = [language](int count) { return CountText(language, Counted::kFiles, count); },
      .values =
          [language](int count) { return CountText(language, Counted::kRegistryValues, count); },
      .files_in =
          [language](const std::string& files, const std::string& folders) {
            return MessageText(language, Message::kHistoryFilesIn, {files, folders});
          },
      .interrupted = MessageText(language, Message::kHistoryInterrupted),
  };
}

std::unique_ptr<platform::Os::FolderLock> LockOrSay(platform::Os& os,
                                                    const model::ProgramState& state) {
  platform::SystemError code = platform::error::kSuccess;
  std::unique_ptr<platform::Os::FolderLock> lock =
      backups::LockGameFolder(os, state.BasePath, code);
  if (!lock) SayBusy(os, state);
  return lock;
}

void SayBusy(platform::Os& os, const model::ProgramState& state) {
  os.ShowMessage(MessageText(state.SteamLanguage, Message::kBusy, {state.BasePath}),
                 Caption(state), kNotice | platform::mb::kSetForeground);
}

void OfferRecovery(platform::Os& os, const model::ProgramState& state) {
  // Another instance at work: its set is in the making, not interrupted.
  platform::SystemError code = platform::error::kSuccess;
  const std::unique_ptr<platform::Os::FolderLock> lock =
      backups::LockGameFolder(os, state.BasePath, code);
  if (!lock) return;
  backups::RemoveLeftovers(os, state.BasePath, *lock);
  const std::optional<std::vector<backups::BackupSet>> sets = AllSets(os, state.BasePath);
  if (!sets || sets->empty() || sets->back().complete) return;
  const backups::BackupSet& interrupted = sets->back();
  if (!interrupted.undoes.empty()) {
    Resume(os, state, *sets, *lock);
    return;
  }
  // A set that names what the program never changes is no change of ours.
  if (const std::optional<std::string> line =
          backups::FirstForbiddenLine(os, state.BasePath, interrupted)) {
    backups::AppendToLog(os, state.BasePath,
                         "backup set " + interrupted.name + " not offered for undoing: it names " +
                             *line + "\r\n");
    return;
  }
  const std::string question =
      MessageText(state.SteamLanguage, Message::kRecoveryQuestion,
                  {ChangeTimeText(interrupted.started, state.SteamLanguage)});
  if (os.ShowMessage(question, Caption(state), kQuestion) == platform::mb::kIdYes) {
    UndoSets(os, state, {interrupted}, "recovery", *lock);
  } else if (const std::vector<int> cut = OptionsOfLastChange(interrupted); !cut.empty()) {
    // Kept as they are, the step it was ended in may be half switched: the
    // detection shows it as not installed and the next OK runs it whole.
    const platform::Result marked = MarkCutShort(os, state.BasePath, interrupted.name, cut);
    backups::AppendToLog(os, state.BasePath,
                         "backup set " + interrupted.name + " kept as it was" +
                             (marked.ok() ? "; its last step is run again in full at the next OK"
                                          : "; its last step could not be marked:") +
                             "\r\n" + (marked.ok() ? "" : backups::FailureLine(marked)));
  }
  const platform::Result marked = backups::MarkComplete(os, state.BasePath, interrupted.name);
  platform::Ignore(marked,
                   "a set still marked interrupted is only offered again at the next start");
}

bool UndoNextChange(platform::Os& os, const model::ProgramState& state) {
  const std::unique_ptr<platform::Os::FolderLock> lock = LockOrSay(os, state);
  if (!lock) return false;
  const std::optional<std::vector<backups::BackupSet>> all = AllSets(os, state.BasePath);
  if (!all) return false;
  if (!all->empty() && !all->back().complete && !all->back().undoes.empty()) {
    Resume(os, state, *all, *lock);
    return true;
  }
  const std::vector<const backups::BackupSet*> undoable = backups::UndoableChanges(*all);
  if (undoable.empty()) {
    os.ShowMessage(MessageText(state.SteamLanguage, Message::kNothingToRestore), Caption(state),
                   platform::mb::kOk | platform::mb::kTaskModal | platform::mb::kSetForeground);
    return false;
  }
  const backups::BackupSet& set = *undoable.front();
  const std::string question =
      MessageText(state.SteamLanguage, Message::kUndoQuestion,
                  {ChangeTimeText(set.started, state.SteamLanguage),
                   ListOfWhatComesBack(os, state, set)});
  if (os.ShowMessage(question, Caption(state), kQuestion) != platform::mb::kIdYes) return false;
  UndoSets(os, state, {set}, "restore", *lock);
  return true;
}

void OfferUndoOfUnfinishedOk(platform::Os& os, const model::ProgramState& state,
                             const std::string& set_name) {
  const std::optional<backups::BackupSet> set = backups::ReadSet(os, state.BasePath, set_name);
  if (!set) {
    backups::AppendToLog(os, state.BasePath,
                         "backup set " + set_name + " of an OK that could not finish cannot be "
                         "read: not offered for undoing\r\n");
    return;
  }
  const std::string question = MessageText(state.SteamLanguage, Message::kUnfinishedOkQuestion,
                                           {ListOfWhatComesBack(os, state, *set)});
  const bool undo = os.ShowMessage(question, Caption(state), kQuestion) == platform::mb::kIdYes;
  backups::AppendToLog(os, state.BasePath,
                       backups::TimeText(os.Now()) + "  OK " + set_name +
                           (undo ? ": not everything could be changed; undone at the player's "
                                   "request\r\n"
                                 : ": not everything could be changed; kept at the player's "
                                   "request\r\n"));
  if (!undo) return;
  const std::unique_ptr<platform::Os::FolderLock> lock = LockOrSay(os, state);
  if (!lock) return;
  UndoSets(os, state, {*set}, "restore", *lock);
}

int RunCommand(platform::Os& os, const model::ProgramState& state,
               const std::vector<std::string>& arguments) {
  const std::optional<std::string> command = Switch(arguments[0]);
  if (command == "restore") {
    RestoreChoice choice;
    bool quiet = false;
    bool chosen = false;
    bool valid = true;
    for (std::size_t n = 1; n < arguments.size() && valid; ++n) {
      const std::optional<std::size_t> given = Count(arguments[n]);
      if (Switch(arguments[n]) == "quiet" && !quiet) {
        quiet = true;
      } else if (given && !chosen) {
        choice.count = *given;
        chosen = true;
      } else if (IsSetName(arguments[n]) && !chosen) {
        choice.set_name = arguments[n];
        chosen = true;
      } else {
        valid = false;
      }
    }
    if (valid) return Restore(os, state, choice, quiet);
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
